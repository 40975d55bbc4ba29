#!/usr/bin/env bash
# Jump To in the real program: the Registry Editor is started and walked to
# the Run key of a row, then, already open, walked to another Run key.
# Wine's key tree drops typed blanks, so key paths with a blank ("Windows NT")
# are checked on the simulated machine only.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

hkcu_run='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
hklm_run='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run'
regedit_state='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Applets\Regedit'
# The editor reopens at the key it showed last: forget it, so that only the
# jump can select the Run key.
import_reg <<EOF2
[-$regedit_state]
[-$hkcu_run]
[$hkcu_run]
"JumpUser"="C:\\\\jump-user.exe"
[$hklm_run]
"JumpMachine"="C:\\\\jump-machine.exe"
EOF2
run_probe regedit-close 5000 >/dev/null

start_program
run_probe wait-main 30000 >/dev/null
expect "no editor before the jump" "$(run_probe regedit-selection)" "editors=0"
run_probe select-row 0 0 >/dev/null
out=$(run_probe jump 0; run_probe regedit-selection)
expect "jump from HKCU / Run starts the editor" "$out" "jump done" "editors=1" "tree is deeper" \
  "selected=My Computer\\$hkcu_run"
screenshot jump-to-hkcu-run

# With the editor open the jump reuses it and walks from wherever it is.
run_probe select-tab 1 >/dev/null
run_probe select-row 1 0 >/dev/null
out=$(run_probe jump 1; run_probe regedit-selection)
expect "jump from HKLM / Run reuses the editor" "$out" "jump done" "editors=1" \
  "selected=My Computer\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
stop_program
expect "editor closed afterwards" "$(run_probe regedit-close 5000; run_probe regedit-selection)" "editors=0"

# A program named regedit.exe beside quellmark.exe (a downloads folder) and
# another in the folder it is started from: a bare "regedit.exe" would run
# the first with this program's rights. Neither may run; the jump still
# reaches the key in the Windows directory's editor.
planted="$artifacts/planted" cwd="$artifacts/planted-cwd"
rm -rf "$planted" "$cwd"
mkdir -p "$planted" "$cwd"
cp "$exe" "$planted/quellmark.exe"
cp "$build/qm_marker.exe" "$planted/regedit.exe"
cp "$build/qm_marker.exe" "$cwd/regedit.exe"
(cd "$cwd" && exec wine "$planted/quellmark.exe" >/dev/null 2>&1) &
program_pid=$!
run_probe wait-main 30000 >/dev/null
run_probe select-row 0 0 >/dev/null
out=$(run_probe jump 0; run_probe regedit-selection; ls "$planted" "$cwd" | grep -c '\.ran$')
expect "no planted editor runs" "$out" "jump done" "editors=1" "selected=My Computer\\$hkcu_run" "0"
stop_program
run_probe regedit-close 5000 >/dev/null
rm -rf "$planted" "$cwd"

# A window of the editor's class made by another program is already open and
# answers nothing. It is passed over: the jump neither waits on it nor types
# into it, and walks the Windows directory's editor, started for it, to the key.
foreign_log="$artifacts/foreign.log"
run_probe foreign-editor qm-foreign > "$foreign_log" &
foreign_pid=$!
for _ in $(seq 50); do grep -q '^foreign=ready' "$foreign_log" 2>/dev/null && break; sleep 0.1; done
import_reg <<EOF2
[-$regedit_state]
EOF2
start_program
run_probe wait-main 30000 >/dev/null
run_probe select-tab 0 >/dev/null
run_probe select-row 0 0 >/dev/null
out=$(timeout 40 wine "$probe" jump 0 2>/dev/null | tr -d '\r')
run_probe release qm-foreign >/dev/null
wait "$foreign_pid"
out+=$'\n'$(cat "$foreign_log"; run_probe regedit-selection)
expect "a foreign window of the editor's class" "$out" "jump done" "foreign=ready" "foreign keys=0" "editors=1" \
  "selected=My Computer\\$hkcu_run"
stop_program
run_probe regedit-close 5000 >/dev/null

import_reg <<EOF2
[-$regedit_state]
[-$hkcu_run]
[$hkcu_run]
[$hklm_run]
"JumpMachine"=-
EOF2
finish
