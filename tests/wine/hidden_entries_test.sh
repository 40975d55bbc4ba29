#!/usr/bin/env bash
# What a program running as the user can do to hide an entry from the
# elevated program, all at once against the real program: a deny entry for a
# right the program does not need on HKCU Run and on the user's Windows key,
# values that are not text before the payload, a value whose name holds a NUL
# beside its look-alike, a script and a batch file in the user's Startup
# folder. Every entry is listed with its command, every tab gets its count,
# nothing is written without a "&Yes", and deleting the NUL-named row deletes
# exactly that value.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
winlogon_rows=$(count_winlogon_rows)

regtool() { wine "$build/qm_regtool.exe" "$@" 2>/dev/null | tr -d '\r'; }

once_key='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\RunOnce'
lmonce_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\RunOnce'
windows_key='HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows'
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
once='HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce'
lmonce='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'
windows='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
user=$(run_probe special-folder 7)
user_u=$(winepath -u "$user" 2>/dev/null)
if [ -z "$user" ] || [ ! -d "$user_u" ]; then echo "FAIL: no startup folder"; exit 1; fi
nul=$(printf '\xe2\x90\x80')

cleanup() {
  regtool undeny "$run" >/dev/null
  regtool undeny "$windows" >/dev/null
  reset_run_key <<EOF2
[-$once_key]
[$once_key]
[$lmonce_key]
"A_Blob"=-
"QmPayload"=-
[$windows_key]
"load"=-
EOF2
  rm -f "$user_u"/qm-*
}
# Every value of the keys the program could write, as text.
state() { for key in "$run" "$once" "$lmonce" "$windows"; do echo "[$key]"; regtool list "$key"; done; }
# The name and command of each row of TAB, shown (showing a tab reads it again).
rows_of() { run_probe select-tab "$1" >/dev/null; run_probe rows "$1" | cut -d'|' -f1-2; }

cleanup
import_reg <<EOF2
[$run_key]
"A_Blob"=hex:01,02,03
"QmPayload"="C:\\\\qm\\\\payload.exe"
[$lmonce_key]
"A_Blob"=dword:00000001
"QmPayload"="C:\\\\qm\\\\machine.exe"
[$once_key]
"Updater"="C:\\\\qm\\\\good.exe"
[$windows_key]
"load"="C:\\\\qm\\\\load.exe"
EOF2
regtool set-counted "$once" 'Updater\0evil' 'C:\qm\evil.exe' || echo "FAIL: NtSetValueKey"
printf 'WScript.Echo 1\r\n' > "$user_u/qm-evil.vbs"
printf '@echo off\r\n' > "$user_u/qm-evil.bat"
regtool deny "$run" 20 || echo "FAIL: RegSetKeySecurity"
regtool deny "$windows" 20
# The deny entries are there: a full-access open fails, reading does not.
expect "deny entry in place" "$(regtool try-open "$run" F003F; regtool try-open "$run" 1
  regtool try-open "$windows" F003F; regtool list "$run")" \
  'open F003F: 5' 'open 1: 0' 'A_Blob=(type 3, 3 bytes)' 'QmPayload=C:\qm\payload.exe'
before=$(state)

start_program
out=$(run_probe wait-main 30000; run_probe dump; run_probe no-dialog Quellmark 500)
expect "every tab counted, no box" "$out" "tab0=HKCU / Run (2)" "tab2=Startup (common) - (0)" \
  "tab3=Startup (user) - (2)" "tab4=HKCU / Run Once (2)" "tab10=WinLogon ($winlogon_rows)" \
  "tab11=Load - Run (2)" "tab14=HKCU / Desktop (1)"
if [ "$(grep -c '^tab[0-9]*=.*)$' <<<"$out")" != "$(grep -c '^tab[0-9]*=' <<<"$out")" ]; then
  echo "FAIL [every tab counted]: a tab kept its design caption"; grep '^tab' <<<"$out"; failures=$((failures + 1)); fi
expect "HKCU Run behind a deny entry" "$(rows_of 0)" "row=A_Blob|(REG_BINARY, 3 bytes)" \
  'row=QmPayload|C:\qm\payload.exe'
expect "HKLM RunOnce" "$(rows_of 5)" "row=A_Blob|(REG_DWORD, 4 bytes)" 'row=QmPayload|C:\qm\machine.exe'
expect "Load behind a deny entry" "$(rows_of 11)" 'row=Load|C:\qm\load.exe'
expect "startup scripts" "$(rows_of 3)" "row=qm-evil.vbs|${user}\\qm-evil.vbs" "row=qm-evil.bat|${user}\\qm-evil.bat"
run_probe select-tab 4 >/dev/null
expect "NUL-named value" "$(rows_of 4)" "list 4 rows=2" 'row=Updater|C:\qm\good.exe' \
  "row=Updater${nul}evil|C:\\qm\\evil.exe"

# Asked about the NUL-named row, answered No: nothing anywhere changes.
row=$(run_probe rows 4 | grep '^row=' | cut -d'|' -f1 | grep -nxF "row=Updater${nul}evil" | cut -d: -f1)
run_probe set-rows 4 $((row - 1)) $((row - 1)) >/dev/null
# Its properties show the whole name and its own command.
run_probe menu 4 3 >/dev/null
expect "properties of the NUL-named row" "$(run_probe item-form 5000)" "title=Updater${nul}evil" \
  "name=Updater${nul}evil" 'command=C:\qm\evil.exe'
run_probe item-press Cancel >/dev/null
sleep 0.5
run_probe menu 4 0 >/dev/null
expect "asked for exactly that row" "$(run_probe dialog Confirm 10000 '&No')" \
  "dialog=Are you sure want to delete autorun \"Updater${nul}evil\" ?"
sleep 0.5
after=$(state)
if [ "$before" = "$after" ]; then passed=$((passed + 1)); else
  echo "FAIL [nothing written without a yes]:"; diff <(echo "$before") <(echo "$after"); failures=$((failures + 1)); fi

# Answered Yes: that value goes, its look-alike stays.
run_probe menu 4 0 >/dev/null
run_probe dialog Confirm 10000 '&Yes' >/dev/null
for _ in $(seq 40); do run_probe rows 4 | grep -qxF "list 4 rows=1" && break; sleep 0.25; done
expect "deleted exactly the NUL-named value" "$(regtool list "$once"; rows_of 4)" 'Updater=C:\qm\good.exe' \
  "list 4 rows=1" 'row=Updater|C:\qm\good.exe'
if regtool list "$once" | grep -q 'evil'; then echo "FAIL [NUL-named value]: still there"; failures=$((failures + 1)); fi
stop_program

# A key that refuses reading is a row naming it, not an empty list.
regtool deny "$run" 1
regtool deny "$windows" 1
start_program
out=$(run_probe wait-main 30000; run_probe dump; run_probe no-dialog Quellmark 500)
expect "refused keys" "$out" "tab0=HKCU / Run (1)" "list 0 rows=1" \
  'row=HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run|access denied|HKEY_CURRENT_USER|HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run|\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
expect "refused Load key" "$(rows_of 11)" \
  'row=Load|access denied: HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows\'
stop_program

cleanup
finish
