#!/usr/bin/env bash
# Makes a delay-load import library from a MinGW import library: the same
# functions, but the DLL is loaded by the delay-load helper (LoadLibrary) on
# the first call instead of by Windows when the program starts.
#   delay_import_library.sh NM DLLTOOL IMPORT_LIB DLL_NAME SYMBOL_PREFIX DEF_OUT LIB_OUT
# SYMBOL_PREFIX is what the import library puts before each function's name
# in its __imp_ symbols: "__imp__" on i686, "__imp_" on x86_64.
set -euo pipefail
nm=$1 dlltool=$2 import_lib=$3 dll=$4 prefix=$5 def=$6 lib=$7
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  "$nm" "$import_lib" 2>/dev/null | awk -v p="$prefix" '$2 == "I" && index($3, p) == 1 { print substr($3, length(p) + 1) }' | sort -u
} > "$def.tmp"
[ "$(wc -l < "$def.tmp")" -gt 10 ] || { echo "no functions found in $import_lib" >&2; exit 1; }
mv "$def.tmp" "$def"
"$dlltool" --input-def "$def" --dllname "$dll" --kill-at --output-delaylib "$lib"
