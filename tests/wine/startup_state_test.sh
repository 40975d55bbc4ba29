#!/usr/bin/env bash
# Whether Windows starts a Run or Startup-folder entry, as Explorer keeps it
# below StartupApproved (Wine itself ignores these values when it starts
# programs, so what is checked is the state shown and the bytes written):
# seeded enabled, disabled and malformed values for the user's Run key, the
# machine's (and in a 64-bit prefix its 32-bit view, kept in Run32) and a
# file in each Startup folder are drawn, shown by Item Properties and
# reported; "Disa&ble" then "&Enable" from the popup menu write the value as
# Task Manager does, read back by reg.exe, and leave the entry alone.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

report="$(dirname "$exe")/quellmark-report.exe"
approved_u='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved'
approved_m='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved'
machine_run='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run'
machine_run32='HKEY_LOCAL_MACHINE\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run'
user=$(run_probe special-folder 7)
common=$(run_probe special-folder 24)
user_u=$(winepath -u "$user" 2>/dev/null)
common_u=$(winepath -u "$common" 2>/dev/null)
if [ ! -d "$user_u" ] || [ ! -d "$common_u" ]; then echo "FAIL: no startup folders"; exit 1; fi
wow64=no
wine reg query 'HKEY_LOCAL_MACHINE\Software\WOW6432Node' >/dev/null 2>&1 && wow64=yes

cleanup() {
  reset_run_key <<EOF2
[-$approved_u]
[-$approved_m]
[$machine_run]
"QmMachine"=-
[$machine_run32]
"QmMachine32"=-
EOF2
  rm -f "$user_u"/qm-state* "$common_u"/qm-state*
}
cleanup
# 2026-12-01 13:05:00 UTC is the FILETIME 0x01dd819492432600.
import_reg <<EOF2
[$run_key]
"QmOn"="C:\\\\qm\\\\on.exe"
"QmOff"="C:\\\\qm\\\\off.exe"
"QmOdd"="C:\\\\qm\\\\odd.exe"
"QmPlain"="C:\\\\qm\\\\plain.exe"
[$machine_run]
"QmMachine"="C:\\\\qm\\\\machine.exe"
[$machine_run32]
"QmMachine32"="C:\\\\qm\\\\machine32.exe"
[$approved_u\\Run]
"QmOn"=hex:02,00,00,00,00,00,00,00,00,00,00,00
"QmOff"=hex:03,00,00,00,00,26,43,92,94,81,dd,01
"QmOdd"=hex:03,00,00,00,09
[$approved_m\\Run32]
"QmMachine32"=hex:03,00,00,00,00,26,43,92,94,81,dd,01
[$approved_m\\StartupFolder]
"qm-state-common.lnk"=hex:07,00,00,00,00,26,43,92,94,81,dd,01
EOF2
# A name no code page holds, set through a file so that no locale stands
# between it and the probe: its state is kept, and switched, by that name.
unicode_name='Qm-Жук-中😀'
printf '%s\n' set-value "$run_key" "$unicode_name" 'C:\qm\zhuk.exe' >"$artifacts/startup-state-args.txt"
run_probe args-from "$(winepath -w "$artifacts/startup-state-args.txt")" >/dev/null
run_probe make-shortcut "$user\\qm-state-user.lnk" 'C:\qm\user.exe' >/dev/null
run_probe make-shortcut "$common\\qm-state-common.lnk" 'C:\qm\common.exe' >/dev/null

row_of() { run_probe rows "$1" | grep '^row=' | sed 's/^row=//; s/|.*//' | grep -nxF -- "$2" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
colour_of() {  # colour_of TAB NAME: silver or black, as drawn on the screen
  local line
  line=$(run_probe row-colours "$1" "$(row_of "$1" "$2")")
  if grep -qE 'silver=[1-9]' <<<"$line"; then echo "$2 silver"; elif grep -qE 'black=[1-9]' <<<"$line"; then echo "$2 black"; else echo "$2 $line"; fi
}
state_of() {  # state_of TAB NAME: what Item Properties says
  run_probe set-rows "$1" "$(row_of "$1" "$2")" "$(row_of "$1" "$2")" >/dev/null
  run_probe menu "$1" 3 >/dev/null
  run_probe item-form 5000 | grep '^state='
  run_probe item-press Esc >/dev/null
}
value_of() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { print n " " $2 " " $3 }'; }
toggle() {  # toggle TAB NAME BUTTON: "Disa&ble" or "&Enable" on the row, answered with BUTTON
  local row
  row=$(row_of "$1" "$2")
  run_probe set-rows "$1" "$row" "$row" >/dev/null
  run_probe menu "$1" 4 >/dev/null
  run_probe dialog Confirm 10000 "$3"
}

start_program
run_probe wait-main 30000 >/dev/null
sleep 0.3
screenshot startup-states
expect "user Run colours" "$(colour_of 0 QmOn; colour_of 0 QmOff; colour_of 0 QmOdd; colour_of 0 QmPlain)" \
  "QmOn black" "QmOff silver" "QmOdd silver" "QmPlain black"
expect "user Run properties" "$(state_of 0 QmOn; state_of 0 QmOff; state_of 0 QmOdd; state_of 0 QmPlain)" \
  "state=Enabled" "state=Disabled since $(date -d '2026-12-01 13:05:00 UTC' '+%Y-%m-%d %H:%M:%S')" \
  "state=Disabled (unknown state: REG_BINARY, 5 bytes)" "state=Enabled"
run_probe select-tab 2 >/dev/null
expect "common startup file" "$(colour_of 2 qm-state-common.lnk)" "qm-state-common.lnk silver"
run_probe select-tab 3 >/dev/null
expect "user startup file" "$(colour_of 3 qm-state-user.lnk)" "qm-state-user.lnk black"
run_probe select-tab 1 >/dev/null
if [ $wow64 = yes ]; then
  expect "machine Run, both views" "$(colour_of 1 QmMachine; colour_of 1 QmMachine32)" "QmMachine black" \
    "QmMachine32 silver"
else
  expect "machine Run" "$(colour_of 1 QmMachine)" "QmMachine black"
fi

# ---- Disable, then Enable: the value as Task Manager writes it, the entry untouched
run_probe select-tab 0 >/dev/null
out=$(toggle 0 QmPlain "&No"; value_of "$approved_u\\Run" QmPlain)
expect "Disable answered No" "$out" \
  'dialog=Disable "QmPlain"? Windows will not start it when the user logs on. The entry itself stays as it is, and can be enabled again.'
[ -z "$(value_of "$approved_u\\Run" QmPlain)" ] && passed=$((passed + 1)) || { echo "FAIL: No wrote a value"; failures=$((failures + 1)); }
toggle 0 QmPlain "&Yes" >/dev/null
sleep 0.5
written=$(value_of "$approved_u\\Run" QmPlain)
if [[ "$written" =~ ^QmPlain\ REG_BINARY\ 03000000[0-9A-F]{16}$ ]] && [[ "$written" != *0000000000000000 ]]; then
  passed=$((passed + 1))
else
  echo "FAIL [disabled value]: $written"; failures=$((failures + 1))
fi
expect "after Disable" "$(colour_of 0 QmPlain; value_of "$run_key" QmPlain)" "QmPlain silver" \
  'QmPlain REG_SZ C:\qm\plain.exe'
toggle 0 "$unicode_name" "&Yes" >/dev/null
sleep 0.5
expect "a name outside the code page" "$(run_probe values "$approved_u\\Run" | grep -F "$unicode_name"; colour_of 0 "$unicode_name")" \
  "value=$unicode_name|" "$unicode_name silver"
out=$(toggle 0 QmOff "&Yes"; sleep 0.5; value_of "$approved_u\\Run" QmOff; colour_of 0 QmOff)
expect "Enable" "$out" 'dialog=Enable "QmOff"? Windows will start it again when the user logs on.' \
  "QmOff REG_BINARY 020000000000000000000000" "QmOff black"

# The user's startup file: its state goes to StartupFolder by the file's name, the key made on the way.
run_probe select-tab 3 >/dev/null
toggle 3 qm-state-user.lnk "&Yes" >/dev/null
sleep 0.5
written=$(value_of "$approved_u\\StartupFolder" qm-state-user.lnk)
[[ "$written" =~ ^qm-state-user.lnk\ REG_BINARY\ 03000000[0-9A-F]{16}$ ]] && passed=$((passed + 1)) ||
  { echo "FAIL [startup file disabled]: $written"; failures=$((failures + 1)); }
expect "startup file after Disable" "$(colour_of 3 qm-state-user.lnk; ls "$user_u" | grep qm-state)" \
  "qm-state-user.lnk silver" "qm-state-user.lnk"
run_probe select-tab 2 >/dev/null
out=$(toggle 2 qm-state-common.lnk "&Yes"; sleep 0.5; value_of "$approved_m\\StartupFolder" qm-state-common.lnk)
expect "common startup file enabled" "$out" "qm-state-common.lnk REG_BINARY 020000000000000000000000"
if [ $wow64 = yes ]; then
  # The machine's 32-bit Run entry keeps its state in Run32, its 64-bit one in Run.
  run_probe select-tab 1 >/dev/null
  out=$(toggle 1 QmMachine32 "&Yes"; sleep 0.5; value_of "$approved_m\\Run32" QmMachine32; colour_of 1 QmMachine32)
  expect "machine 32-bit entry enabled" "$out" \
    'dialog=Enable "QmMachine32"? Windows will start it again when the user logs on.' \
    "QmMachine32 REG_BINARY 020000000000000000000000" "QmMachine32 black"
  toggle 1 QmMachine "&Yes" >/dev/null
  sleep 0.5
  written=$(value_of "$approved_m\\Run" QmMachine)
  [[ "$written" =~ ^QmMachine\ REG_BINARY\ 03000000[0-9A-F]{16}$ ]] && passed=$((passed + 1)) ||
    { echo "FAIL [machine 64-bit entry disabled]: $written"; failures=$((failures + 1)); }
fi
stop_program

# ---- The report: enabled and disabled_at, and a change of state in --compare
json="$artifacts/startup-states.json"
timeout 120 wine "$report" --format json >"$json" 2>/dev/null
out=$(python3 - "$json" <<'EOF'
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
for e in doc["entries"]:
    if e["name"] in ("QmOn", "QmOff", "QmOdd", "QmPlain", "qm-state-user.lnk", "QmMachine32"):
        print(e["category"], e["name"], json.dumps(e["enabled"]), json.dumps(e["disabled_at"]), e["mark"])
    if e["category"] == "hkcu-runonce":
        print("runonce", json.dumps(e["enabled"]))
EOF
)
expected=("hkcu-run QmOn true null " "hkcu-run QmOff true null " "hkcu-run QmOdd false null unknown state: REG_BINARY, 5 bytes")
if [ $wow64 = yes ]; then expected+=("hklm-run QmMachine32 true null "); fi
expect "report states" "$out" "${expected[@]}"
[[ "$out" =~ hkcu-run\ QmPlain\ false\ \"20[0-9]{2}-[0-9]{2}-[0-9]{2}T[0-9:]{8}Z\"\  ]] && passed=$((passed + 1)) ||
  { echo "FAIL [report of a disabled entry]: $out"; failures=$((failures + 1)); }
import_reg <<EOF2
[$approved_u\\Run]
"QmOn"=hex:03,00,00,00,00,26,43,92,94,81,dd,01
EOF2
out=$(timeout 120 wine "$report" --compare "$(winepath -w "$json")" 2>/dev/null | tr -d '\r')
expect "compare a change of state" "$out" \
  'changed [hkcu-run] "QmOn" "C:\qm\on.exe" at HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run "QmOn"' \
  '    startup: "enabled" -> "disabled"' "1 difference: 0 added, 0 removed, 1 changed"

cleanup
finish
