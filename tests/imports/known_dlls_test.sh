#!/usr/bin/env bash
# The DLLs each shipped executable imports must all be known DLLs: Windows
# takes a known DLL from System32 whatever lies beside the program, but looks
# for any other DLL in the program's own folder first and in the current
# folder later. The program runs elevated from wherever it was saved (a
# Downloads folder holds whatever a browser put there), so one planted DLL
# would run with administrator rights before the first window opens.
#   known_dlls_test.sh OBJDUMP EXE...
set -uo pipefail
objdump=$1; shift

# The values of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs
# on Windows 10 22H2 and Windows 11 23H2 (the same names stand for the 32-bit
# copies in SysWOW64), without the WOW64 and emulator entries (wow64*, xtajit*)
# that no program imports. ntdll.dll is not listed there: the kernel maps it
# into every process before any DLL is searched for.
declare -A known=()
for name in advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 msctf msvcrt \
            normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi user32 wldap32 ws2_32 \
            ntdll; do
  known[$name.dll]=1
done

failures=0
[ $# -gt 0 ] || { echo "FAIL: no executable given"; failures=1; }
for exe in "$@"; do
  if ! dump=$("$objdump" -p "$exe"); then
    echo "FAIL: $objdump cannot read $exe"; failures=$((failures + 1)); continue
  fi
  imports=$(sed -n '/^The Import Tables/,/^The Export Tables\|^PE File Base Relocations/s/^[[:space:]]*DLL Name: //p' <<<"$dump")
  # A reading that finds nothing proves nothing: every program imports kernel32.
  if ! grep -qix 'kernel32.dll' <<<"$imports"; then
    echo "FAIL: no import of kernel32.dll found in $exe; its import table was not read"
    failures=$((failures + 1)); continue
  fi
  echo "$(basename "$exe") imports:" $imports
  for dll in $imports; do
    if [ -z "${known[${dll,,}]:-}" ]; then
      echo "FAIL: $(basename "$exe") imports $dll, which is no known DLL: Windows would load a copy placed beside it"
      failures=$((failures + 1))
    fi
  done
done
[ $failures -eq 0 ] && echo "every import is a known DLL"
[ $failures -eq 0 ]
