#!/usr/bin/env bash
# The tabs read from single registry values and from Active Setup, in the
# real program: Winlogon, Load - Run, the screen saver, ActiveX and the two
# Explorer-Run policy keys.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
winlogon_rows=$(count_winlogon_rows)

winlogon='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Winlogon'
windows='HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows'
desktop='HKEY_CURRENT_USER\Control Panel\Desktop'
components='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Active Setup\Installed Components'
policies='Software\Microsoft\Windows\CurrentVersion\policies\Explorer\run'

# Values without data, of types that are not text, name nothing: the
# Taskman and Load places are empty, the third component has no command.
import_reg <<EOF2
[$winlogon]
"Userinit"="C:\\\\WINDOWS\\\\system32\\\\userinit.exe,"
"Taskman"=hex:
[$windows]
"run"="C:\\\\tools\\\\r.exe"
"load"=hex(4):
[$desktop]
"SCRNSAVE.EXE"="C:\\\\WINDOWS\\\\System32\\\\logon.scr"
[$components\\{QM-TEST-1}]
@="Windows Desktop Update"
"ComponentID"="DesktopUpdate"
"StubPath"="C:\\\\WINDOWS\\\\system32\\\\rundll32.exe shell32.dll,X"
[$components\\{QM-TEST-2}]
"StubPath"="regsvr32 /s x.dll"
[$components\\{QM-TEST-3}]
"StubPath"=hex:
[HKEY_LOCAL_MACHINE\\$policies]
"MachinePolicy"="C:\\\\m.exe"
[HKEY_CURRENT_USER\\$policies]
"UserPolicy"="C:\\\\u.exe"
EOF2
start_program
out=$(run_probe wait-main 30000; run_probe rows 9; run_probe rows 10; run_probe rows 11; run_probe rows 12; run_probe rows 13; run_probe rows 14; run_probe dump)
expect "registry tabs" "$out" \
  "row=Windows Desktop Update|DesktopUpdate|C:\\WINDOWS\\system32\\rundll32.exe shell32.dll,X" \
  "row=n/a|Suspect Malware|regsvr32 /s x.dll" \
  "list 10 rows=$winlogon_rows" \
  "row=Userinit|C:\\WINDOWS\\system32\\userinit.exe," "row=Shell|explorer.exe" "row=Taskman|No Autorun Entry" \
  "row=ServiceControllerStart|No Autorun Entry" \
  "list 11 rows=2" "row=Run|C:\\tools\\r.exe" "row=Load|No Autorun Entry" \
  "row=MachinePolicy|C:\\m.exe|HKEY_LOCAL_MACHINE||" \
  "row=UserPolicy|C:\\u.exe|HKEY_CURRENT_USER|HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run|\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\run" \
  "list 14 rows=1" "row=Scrnsave|C:\\WINDOWS\\System32\\logon.scr" \
  "tab9=ActiveX (2)" "tab10=WinLogon ($winlogon_rows)" "tab11=Load - Run (2)" "tab12=HKLM / Explorer-Run (1)" \
  "tab13=HKCU / Explorer-Run (1)" "tab14=HKCU / Desktop (1)"
# Colours as drawn on the screen: red for a component without an identifier,
# silver for an empty place, the list's own black otherwise.
colours() { run_probe row-colours "$1" "$2" | sed -E 's/^/'"$1:$2 "'/'; }
run_probe select-tab 9 >/dev/null
sleep 0.3
screenshot activex-tab
drawn=$(colours 9 0; colours 9 1)
run_probe select-tab 10 >/dev/null
sleep 0.3
screenshot winlogon-tab
drawn+=$'\n'$(colours 10 0; colours 10 4)
check_colour() {  # check_colour TAB:ROW COLOUR: that colour drawn, neither of the two marking colours else
  local line others
  line=$(grep "^$1 " <<<"$drawn")
  others=$(grep -oE '(silver|red)=[0-9]+' <<<"$line" | grep -v "^$2=" | grep -vc '=0$')
  if ! grep -qE "$2=[1-9]" <<<"$line" || [ "$others" != 0 ]; then
    echo "FAIL [colours]: row $1 should be drawn in $2: $line"
    failures=$((failures + 1))
  else
    passed=$((passed + 1))
  fi
}
check_colour 9:0 black
check_colour 9:1 red
check_colour 10:0 black
check_colour 10:4 silver
stop_program

import_reg <<EOF2
[$winlogon]
"Userinit"=-
"Taskman"=-
[$windows]
"run"=-
"load"=-
[$desktop]
"SCRNSAVE.EXE"=-
[-$components\\{QM-TEST-1}]
[-$components\\{QM-TEST-2}]
[-$components\\{QM-TEST-3}]
[-HKEY_LOCAL_MACHINE\\$policies]
[-HKEY_CURRENT_USER\\$policies]
EOF2

# A component key with a name of 255 characters, the most a key name may
# have: its full path is longer than Wine's RegOpenKeyExA takes, so it is
# reached from the components key. Listed, counted, and its command deleted.
long_name="{QM-LONG-$(printf 'L%.0s' $(seq 245))}"
long_key="$components\\$long_name"
[ ${#long_name} -eq 255 ] || echo "FAIL: the long name has ${#long_name} characters"
import_reg <<EOF2
[$long_key]
@="Long Component"
"ComponentID"="QmLong"
"StubPath"="C:\\\\qm\\\\long.exe /x"
EOF2
start_program
run_probe wait-main 30000 >/dev/null
run_probe select-tab 9 >/dev/null
out=$(run_probe rows 9; run_probe dump | grep '^tab9=')
expect "a component with the longest key name" "$out" "list 9 rows=1" "row=Long Component|QmLong|C:\\qm\\long.exe /x" \
  "tab9=ActiveX (1)"
run_probe select-row 9 0 >/dev/null
run_probe menu 9 0 >/dev/null
out=$(run_probe dialog Confirm 10000 "&Yes"; sleep 1; run_probe rows 9; run_probe dump | grep '^tab9='
      wine reg query "$long_key" /v StubPath >/dev/null 2>&1 && echo "StubPath present" || echo "StubPath absent"
      wine reg query "$long_key" /v ComponentID >/dev/null 2>&1 && echo "ComponentID present" || echo "ComponentID absent")
expect "its command deleted" "$out" "dialog=Are you sure want to delete autorun \"Long Component\" ?" "list 9 rows=0" \
  "tab9=ActiveX (0)" "StubPath absent" "ComponentID present"
stop_program
import_reg <<EOF2
[-$long_key]
EOF2
finish
