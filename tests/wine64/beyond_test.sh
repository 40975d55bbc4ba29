#!/usr/bin/env bash
# On 64-bit Windows (the 64-bit Wine prefix), run for the 32-bit program under
# WOW64 and for the 64-bit one: the system hooks below SOFTWARE are listed in
# both registry views (the 32-bit view's under its real WOW6432Node key) and a
# deletion changes its own view's value only; the scheduled tasks are read
# from the real System32\Tasks, never from the SysWOW64 folder a 32-bit
# program is shown under that name.
. "$(dirname "${BASH_SOURCE[0]}")/../wine/lib.sh"

value64() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
tab_of() { run_probe dump | sed -n "s/^tab\([0-9]*\)=$1.*/\1/p"; }
row_of() { run_probe rows "$2" | grep '^row=' | grep -nF "row=$1|" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }

windows64='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Windows'
windows32='HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\Microsoft\Windows NT\CurrentVersion\Windows'
system32="$WINEPREFIX/drive_c/windows/system32"
syswow64="$WINEPREFIX/drive_c/windows/syswow64"
if [ ! -d "$syswow64" ]; then
  echo "FAIL: not a 64-bit prefix: $WINEPREFIX"
  exit 1
fi
cleanup() {
  printf '[%s]\n"AppInit_DLLs"=-\n"LoadAppInit_DLLs"=-\n[%s]\n"AppInit_DLLs"=-\n"LoadAppInit_DLLs"=-\n' \
    "$windows64" "$windows32" | import_reg
  rm -rf "$system32/tasks/QmReal" "$syswow64/tasks/QmDecoy"
}
cleanup
import_reg <<EOF2
[$windows64]
"AppInit_DLLs"="C:\\\\qm\\\\x64.dll"
"LoadAppInit_DLLs"=dword:00000001
[$windows32]
"AppInit_DLLs"="C:\\\\qm\\\\x86.dll C:\\\\qm\\\\y86.dll"
EOF2
mkdir -p "$system32/tasks/QmReal" "$syswow64/tasks/QmDecoy"
printf '<Task><Triggers><BootTrigger/></Triggers><Actions><Exec><Command>C:\\qm\\real.exe</Command></Exec></Actions></Task>' \
  > "$system32/tasks/QmReal/Qm Real"
printf '<Task><Actions><Exec><Command>C:\\qm\\decoy.exe</Command></Exec></Actions></Task>' \
  > "$syswow64/tasks/QmDecoy/Qm Decoy"

start_program
run_probe wait-main 30000 >/dev/null
hooks=$(tab_of "System Hooks") tasks=$(tab_of "Scheduled Tasks")
out=$(run_probe select-tab "$hooks"; run_probe dump)
not_set=' (not loaded: LoadAppInit_DLLs is not set)'
expect "hooks in both views" "$out" \
  "row=C:\\qm\\x64.dll|AppInit DLL|C:\\qm\\x64.dll|$windows64|AppInit_DLLs" \
  "row=C:\\qm\\x86.dll|AppInit DLL$not_set|C:\\qm\\x86.dll|$windows32|AppInit_DLLs" \
  "row=C:\\qm\\y86.dll|AppInit DLL$not_set|C:\\qm\\y86.dll|$windows32|AppInit_DLLs"
out=$(run_probe select-tab "$tasks"; run_probe rows "$tasks")
expect "the real tasks folder" "$out" \
  "row=\\QmReal\\Qm Real|C:\\qm\\real.exe|boot|yes|C:\\qm\\real.exe|C:\\windows\\System32\\Tasks\\QmReal\\Qm Real"
grep -q 'Decoy' <<<"$out" && { echo "FAIL [the real tasks folder]: the SysWOW64 folder was read"; failures=$((failures + 1)); }

# Deleting the 32-bit view's first DLL changes that view's value only.
run_probe select-tab "$hooks" >/dev/null
run_probe select-row "$hooks" "$(row_of 'C:\qm\x86.dll' "$hooks")" >/dev/null
run_probe menu "$hooks" 0 >/dev/null
expect "delete in the 32-bit view" "$(run_probe dialog Confirm 10000 "&Yes")" \
  'dialog=Are you sure want to delete autorun "C:\qm\x86.dll" ?'
sleep 0.5
expect "only its own view changed" "32: $(value64 "$windows32" AppInit_DLLs)
64: $(value64 "$windows64" AppInit_DLLs)" '32: C:\qm\y86.dll' '64: C:\qm\x64.dll'
stop_program

cleanup
finish
