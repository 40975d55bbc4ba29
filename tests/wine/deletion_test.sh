#!/usr/bin/env bash
# "&Delete Items..." in the real program, through its popup-menu command and
# its message boxes: a Run value, a Winlogon value, a component's command and
# a startup shortcut, each checked in the Wine registry or folder afterwards.
# The selected row is named and deleted, also when the focus is on another.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
winlogon_rows=$(count_winlogon_rows)

run='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
winlogon='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Winlogon'
component='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Active Setup\Installed Components\{QM-DELETE-TEST}'
user=$(run_probe special-folder 7)
user_u=$(winepath -u "$user" 2>/dev/null)
if [ -z "$user" ] || [ ! -d "$user_u" ]; then echo "FAIL: no startup folder"; exit 1; fi

cleanup() {
  import_reg <<EOF2
[$run]
"QmDeleteMe"=-
"QmKeep"=-
[$winlogon]
"Taskman"=-
[-$component]
EOF2
  rm -f "$user_u"/qm-*
}
cleanup
import_reg <<EOF2
[$run]
"QmDeleteMe"="C:\\\\qm\\\\delete.exe"
"QmKeep"="C:\\\\qm\\\\keep.exe"
[$winlogon]
"Taskman"="C:\\\\qm\\\\taskman.exe"
[$component]
@="Qm Component"
"ComponentID"="QmId"
"StubPath"="C:\\\\qm\\\\stub.exe /install"
EOF2
run_probe make-shortcut "$user\\qm-delete.lnk" 'C:\qm\delete.exe' >/dev/null
run_probe make-shortcut "$user\\qm-keep.lnk" 'C:\qm\keep.exe' >/dev/null

# The 0-based row of the list on TAB whose caption is NAME.
row_of() { run_probe rows "$1" | grep '^row=' | sed 's/^row=//; s/|.*//' | grep -nxF -- "$2" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
# Waits until the list on TAB shows LINE, then prints the list.
rows_when() {
  local out
  for _ in $(seq 40); do
    out=$(run_probe rows "$1")
    grep -qxF -- "$2" <<<"$out" && break
    sleep 0.25
  done
  echo "$out"
}
# Chooses "&Delete Items..." with the row NAME of TAB selected (and the row
# FOCUS focused, when given) and answers the confirmation with BUTTON.
delete_row() {
  local tab=$1 name=$2 button=$3 focus=${4:-$2} row
  row=$(row_of "$tab" "$name")
  [ -n "$row" ] || { echo "no row $name on tab $tab"; return; }
  run_probe set-rows "$tab" "$row" "$(row_of "$tab" "$focus")" >/dev/null
  run_probe menu "$tab" 0 >/dev/null
  run_probe dialog Confirm 10000 "$button"
}
reg_has() { wine reg query "$1" /v "$2" >/dev/null 2>&1 && echo "$2 present" || echo "$2 absent"; }

start_program
run_probe wait-main 30000 >/dev/null

# Nothing selected yet: the registry lists say so.
run_probe menu 0 0 >/dev/null
expect "no selection" "$(run_probe dialog Error 10000)" "dialog=No item selected for deletion!!!"

out=$(delete_row 0 QmDeleteMe "&No" QmKeep; sleep 0.5; run_probe rows 0; reg_has "$run" QmDeleteMe)
expect "Run value, answered No" "$out" "dialog=Are you sure want to delete autorun \"QmDeleteMe\" ?" \
  "list 0 rows=2" "QmDeleteMe present"
out=$(delete_row 0 QmDeleteMe "&Yes" QmKeep; rows_when 0 "list 0 rows=1"; run_probe dump | grep '^tab0='
      reg_has "$run" QmDeleteMe; reg_has "$run" QmKeep)
expect "Run value, answered Yes" "$out" "dialog=Are you sure want to delete autorun \"QmDeleteMe\" ?" \
  "list 0 rows=1" "row=QmKeep|C:\\qm\\keep.exe|HKEY_CURRENT_USER|HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run|\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run" \
  "tab0=HKCU / Run (1)" "QmDeleteMe absent" "QmKeep present"

run_probe select-tab 3 >/dev/null
out=$(delete_row 3 qm-delete.lnk "&Yes" qm-keep.lnk; rows_when 3 "list 3 rows=1"; run_probe dump | grep '^tab3=')
expect "startup shortcut" "$out" "dialog=Are you sure want to delete autorun \"qm-delete.lnk\" ?" \
  "list 3 rows=1" "row=qm-keep.lnk|C:\\qm\\keep.exe|Windows AutoRun|$user\\|" "tab3=Startup (user) - (1)"
expect "startup folder" "$(ls "$user_u")" "qm-keep.lnk"
if [ -e "$user_u/qm-delete.lnk" ]; then echo "FAIL [startup folder]: qm-delete.lnk is still there"; failures=$((failures + 1)); fi

# Names with a letter no Western code page has: a CJK letter, and a Greek
# alpha whose best-fit look-alike "a" names another shortcut lying beside it.
# Each is listed as it is, with its shortcut's target; deleting the alpha's
# row deletes that file alone, and the look-alike stays.
mv "$user_u/qm-keep.lnk" "$user_u/qm-中.lnk"
run_probe make-shortcut "$user\\qm-x.lnk" 'C:\qm\alpha.exe' >/dev/null
mv "$user_u/qm-x.lnk" "$user_u/qm-α-b.lnk"
run_probe make-shortcut "$user\\qm-a-b.lnk" 'C:\qm\plain.exe' >/dev/null
run_probe select-tab 0 >/dev/null
run_probe select-tab 3 >/dev/null
out=$(rows_when 3 "list 3 rows=3")
expect "names outside the code page" "$out" "list 3 rows=3" "row=qm-中.lnk|C:\\qm\\keep.exe|Windows AutoRun|$user\\|" \
  "row=qm-α-b.lnk|C:\\qm\\alpha.exe|Windows AutoRun|$user\\|" "row=qm-a-b.lnk|C:\\qm\\plain.exe|Windows AutoRun|$user\\|"
out=$(delete_row 3 "qm-α-b.lnk" "&Yes"; rows_when 3 "list 3 rows=2"; run_probe dump | grep '^tab3='; ls "$user_u")
expect "delete qm-α-b.lnk" "$out" "dialog=Are you sure want to delete autorun \"qm-α-b.lnk\" ?" "list 3 rows=2" \
  "tab3=Startup (user) - (2)" "qm-中.lnk" "qm-a-b.lnk"
if [ -e "$user_u/qm-α-b.lnk" ]; then echo "FAIL [delete qm-α-b.lnk]: still there"; failures=$((failures + 1)); fi

run_probe select-tab 10 >/dev/null
out=$(delete_row 10 Taskman "&Yes"; rows_when 10 "row=Taskman|No Autorun Entry"; reg_has "$winlogon" Taskman
      reg_has "$winlogon" Shell)
expect "Winlogon value" "$out" "dialog=Are you sure want to delete autorun \"Taskman\" ?" \
  "list 10 rows=$winlogon_rows" "row=Taskman|No Autorun Entry" "Taskman absent" "Shell present"

run_probe select-tab 9 >/dev/null
out=$(delete_row 9 "Qm Component" "&Yes"; sleep 1; reg_has "$component" StubPath; reg_has "$component" ComponentID
      run_probe rows 9)
expect "component command" "$out" "dialog=Are you sure want to delete autorun \"Qm Component\" ?" \
  "StubPath absent" "ComponentID present"
if grep -q '^row=Qm Component' <<<"$out"; then echo "FAIL [component command]: row still listed"; failures=$((failures + 1)); fi
screenshot deletion
stop_program

cleanup
finish
