#!/usr/bin/env bash
# Names in any script in the real program: values of HKCU Run and HKLM Run
# named and holding commands in Cyrillic, CJK, with an emoji (beyond the
# Basic Multilingual Plane), with a right-to-left mark and with a
# right-to-left override, beside a Latin look-alike of the Cyrillic one and
# one of what the override makes its name look like; a startup shortcut and
# a service display name in such scripts. Every row reads back whole through
# the list (the probe asks in UTF-16 and prints UTF-8), each format
# character shown by its code point ("<U+202E>"); deleting the Cyrillic
# value, and the overridden one, removes exactly it and leaves the
# look-alike; Jump To walks the Registry Editor to a key named in such a
# script; Item Properties shows version texts no Western code page holds.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

hkcu_run='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
hklm_run='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
components='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Active Setup\Installed Components'
regedit_state='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Applets\Regedit'
common=$(run_probe special-folder 24)
common_u=$(winepath -u "$common" 2>/dev/null)
if [ -z "$common" ] || [ ! -d "$common_u" ]; then echo "FAIL: no common startup folder"; exit 1; fi
service_exe=$(winepath -w "$build/qm_scratch_service.exe" 2>/dev/null)
programs_u="$WINEPREFIX/drive_c/qm-unicode"

# The Cyrillic name: a capital Es and a small a (U+0421, U+0430) that
# best-fit mapping turns into the Latin "Calc" lying beside it.
cyrillic='Сalc' lookalike='Calc'
cjk='中文更新' emoji='Up😀date' rlm=$'\u200fעדכון'
# "Qm", a right-to-left override (U+202E), "txt.exe": drawn as it is, the
# name reads as the look-alike beside it.
rlo=$'Qm\xe2\x80\xaetxt.exe' rlo_lookalike='Qmexe.txt'
names=("$cyrillic" "$lookalike" "$cjk" "$emoji" "$rlm" "$rlo" "$rlo_lookalike")
# A text as the lists and the boxes show it: each format character by its code point.
shown() {
  local text=${1//$'\xe2\x80\x8f'/<U+200F>}
  printf '%s' "${text//$'\xe2\x80\xae'/<U+202E>}"
}
# The command of each name, for the key given as "user" or "machine".
command_of() {
  case $1 in
    "$cyrillic") echo "C:\\Прог\\$2-жук.exe /х" ;;
    "$lookalike") echo "C:\\calc-$2.exe" ;;
    "$cjk") echo "C:\\中\\$2.exe" ;;
    "$emoji") echo "C:\\😀\\$2.exe" ;;
    "$rlm") echo $'C:\\\u200f'"\\$2.exe" ;;
    "$rlo") echo "C:\\qm-override-$2.exe" ;;
    "$rlo_lookalike") echo "C:\\qm-lookalike-$2.exe" ;;
  esac
}
component="{QmКлюч中😀}"
shortcut="qm-Ярлык-中😀.lnk" shortcut_target='C:\qm-unicode\Цель 中.exe'
display_name=$'Qm Служба 中文 😀 \u200fא'
program='C:\qm-unicode\Жук.exe'
company='ООО Жук' description='中文工具 😀' version='1.0 бета'

# qm_probe with arguments in any script: through a file, so that no locale
# stands between them and the probe.
probe_u() {
  local file="$artifacts/probe-args.txt"
  printf '%s\n' "$@" > "$file"
  run_probe args-from "$(winepath -w "$file")"
}

cleanup() {
  local name
  for name in "${names[@]}" QmVersion; do
    probe_u delete-value "$hkcu_run" "$name" >/dev/null
    probe_u delete-value "$hklm_run" "$name" >/dev/null
  done
  probe_u delete-key "$components\\$component" >/dev/null
  rm -f "$common_u/$shortcut"
  rm -rf "$programs_u"
  wine sc stop QmScratchUni >/dev/null 2>&1
  wine sc delete QmScratchUni >/dev/null 2>&1
}
cleanup
import_reg <<EOF2
[-$regedit_state]
EOF2
run_probe regedit-close 5000 >/dev/null
for name in "${names[@]}"; do
  probe_u set-value "$hkcu_run" "$name" "$(command_of "$name" user)"
  probe_u set-value "$hklm_run" "$name" "$(command_of "$name" machine)"
done
probe_u set-value "$components\\$component" "" "Qm Компонент"
probe_u set-value "$components\\$component" StubPath 'C:\qm-unicode\stub.exe'
# The target exists, so the shortcut holds it as the file system names it.
mkdir -p "$programs_u"
printf 'MZ' > "$programs_u/Цель 中.exe"
probe_u make-shortcut "$common\\$shortcut" "$shortcut_target" >/dev/null
wine sc create QmScratchUni binpath= "\"$service_exe\" -run QmScratchUni" displayname= "Qm" start= demand >/dev/null 2>&1
probe_u display-name QmScratchUni "$display_name"
wine sc start QmScratchUni >/dev/null 2>&1
probe_u plant-version "$program" "$company" "$description" "$version"
probe_u set-value "$hkcu_run" QmVersion "\"$program\" /x"

start_program
run_probe wait-main 30000 >/dev/null

# ---- Every row whole, in both Run keys.
hkcu_loc="|HKEY_CURRENT_USER|$hkcu_run|\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"
out=$(run_probe rows 0)
lines=("list 0 rows=8" "row=QmVersion|\"$program\" /x$hkcu_loc")
for name in "${names[@]}"; do lines+=("row=$(shown "$name")|$(shown "$(command_of "$name" user)")$hkcu_loc"); done
expect "HKCU Run in any script" "$out" "${lines[@]}"
run_probe select-tab 1 >/dev/null
out=$(run_probe rows 1)
lines=()
hklm_loc="|HKEY_LOCAL_MACHINE|$hklm_run|\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"
for name in "${names[@]}"; do lines+=("row=$(shown "$name")|$(shown "$(command_of "$name" machine)")$hklm_loc"); done
expect "HKLM Run in any script" "$out" "${lines[@]}"

# ---- The startup shortcut and the service.
run_probe select-tab 2 >/dev/null
expect "startup shortcut in any script" "$(run_probe rows 2)" \
  "row=$shortcut|$shortcut_target|Windows AutoRun|$common\\|"
run_probe select-tab 8 >/dev/null
out=$(run_probe rows 8)
expect "service display name in any script" "$out" \
  "row=QmScratchUni|$(shown "$display_name")|\"$service_exe\" -run QmScratchUni"

# ---- Deleting the Cyrillic value deletes it alone, in either key; so does
# deleting the overridden one, which the box shows by its code point.
row_of() { run_probe rows "$1" | grep '^row=' | sed 's/^row=//; s/|.*//' | grep -nxF -- "$(shown "$2")" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
delete_one() {  # delete_one WHAT NAME NAME-THAT-STAYS...
  local what=$1 name=$2 line lines=() kept; shift 2
  local row
  row=$(row_of $tab "$name")
  run_probe set-rows $tab "$row" "$row" >/dev/null
  run_probe menu $tab 0 >/dev/null
  out=$(run_probe dialog Confirm 10000 "&Yes"; sleep 1; probe_u values "$key")
  for kept in "$@"; do lines+=("value=$kept|$(command_of "$kept" $where)"); done
  expect "delete the $what value ($where)" "$out" \
    "dialog=Are you sure want to delete autorun \"$(shown "$name")\" ?" "${lines[@]}"
  if grep -qF "value=$name|" <<<"$out"; then
    echo "FAIL [delete the $what value ($where)]: still there"; failures=$((failures + 1))
  fi
}
for tab in 0 1; do
  key=$hkcu_run where=user
  [ $tab -eq 1 ] && key=$hklm_run where=machine
  run_probe select-tab $tab >/dev/null
  delete_one Cyrillic "$cyrillic" "$lookalike" "$cjk" "$emoji" "$rlm"
  delete_one overridden "$rlo" "$rlo_lookalike" "$rlm"
done
screenshot unicode-names

# ---- Item Properties: version texts in any script.
run_probe select-tab 0 >/dev/null
row=$(row_of 0 QmVersion)
run_probe select-row 0 "$row" >/dev/null
run_probe dblclick 0 "$row" >/dev/null
sleep 0.3
expect "version texts in any script" "$(run_probe item-form 3000)" "item visible=1" "title=QmVersion" \
  "company=$company" "description=$description" "version=$version"
run_probe item-press Cancel >/dev/null

# ---- Jump To a component whose key is named in any script.
run_probe select-tab 9 >/dev/null
row=$(row_of 9 "Qm Компонент")
run_probe select-row 9 "$row" >/dev/null
out=$(run_probe jump 9; run_probe regedit-selection)
expect "jump to a key in any script" "$out" "jump done" "editors=1" \
  "selected=My Computer\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Active Setup\\Installed Components\\$component"
screenshot unicode-jump
stop_program
run_probe regedit-close 5000 >/dev/null

cleanup
finish
