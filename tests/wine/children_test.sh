#!/usr/bin/env bash
# What the programs the real window starts get from it, read from outside
# (the probe reads a process's token, its current folder and its
# environment): the window program, started from a folder of the user's
# with a variable of the user's in its environment, has the debug privilege
# off after its start-up scan and Item Properties; the Registry Editor that
# Jump To starts has it off too, starts in System32, and holds none of that
# environment. explorer.exe, which "&Find Target..." starts the same way,
# hands the folder to the desktop's explorer and ends at once, under Wine as
# on Windows, so what it was started with cannot be read from outside: the
# host tests show it.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

regedit_state='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Applets\Regedit'
cwd="$artifacts/children-cwd"
cleanup() {
  rm -rf "$cwd"
  reset_run_key </dev/null
}
cleanup
mkdir -p "$cwd"
# The program itself is the row's target: a file with a version resource,
# whose every detail Item Properties reads.
self=$(winepath -w "$exe")
reset_run_key <<EOF2
"QmChild"="\\"${self//\\/\\\\}\\" /min"
[-$regedit_state]
EOF2
run_probe regedit-close 5000 >/dev/null

(cd "$cwd" && QM_USER_MARK=planted exec wine "$exe" >/dev/null 2>&1) &
program_pid=$!
run_probe wait-main 30000 >/dev/null
run_probe select-row 0 0 >/dev/null
run_probe dblclick 0 0 >/dev/null
sleep 0.5
expect "the window program, after its scan and Item Properties" \
  "$(run_probe item-form 3000; run_probe process-facts TMainForm QM_USER_MARK)" \
  "title=QmChild" "company=Quellmark" "variable QM_USER_MARK=planted" "debug-privilege=disabled"

run_probe item-press Cancel >/dev/null

expect "the Registry Editor, started by Jump To" \
  "$(run_probe jump 0; run_probe process-facts TMainForm regedit.exe QM_USER_MARK)" \
  "jump done" 'directory=C:\windows\system32\' "variable QM_USER_MARK absent" "debug-privilege=disabled"
screenshot children
stop_program
run_probe regedit-close 5000 >/dev/null

cleanup
finish
