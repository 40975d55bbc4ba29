#!/usr/bin/env bash
# The "Scheduled Tasks" tab of the real program: task files below
# System32\Tasks (a task in a subfolder with a logon trigger and two actions,
# a disabled task, a file that is no XML), read with the system's XmlLite;
# Properties shows the first program's file, Jump To opens the task's folder;
# Delete goes through the Task Scheduler ("&No" changes nothing), and a task
# file rewritten while the question is open is left alone.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

delete_command=0 jump_command=2 properties_command=3 toggle_command=4
tasks=$WINEPREFIX/drive_c/windows/system32/tasks
self=$(winepath -w "$exe")
tab_of() { run_probe dump | sed -n "s/^tab\([0-9]*\)=$1.*/\1/p"; }
row_of() { run_probe rows "$tab" | grep '^row=' | grep -nF "row=$1|" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
check() {  # check NAME RESULT: "ok" passes, anything else is the failure's text
  if [ "$2" = ok ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAIL [$1]: $2"; fi
}
# A task file as the scheduler writes it: UTF-16 with its byte-order mark.
task_file() {  # task_file PATH ENABLED TRIGGERS ACTIONS
  mkdir -p "$(dirname "$1")"
  printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task"><Triggers>%s</Triggers><Settings><Enabled>%s</Enabled></Settings><Actions Context="Author">%s</Actions></Task>\r\n' \
    "$3" "$2" "$4" | iconv -f UTF-8 -t UTF-16 > "$1"
}
exec_action() { printf '<Exec><Command>%s</Command>%s</Exec>' "$1" "${2:+<Arguments>$2</Arguments>}"; }
remove_tasks() { rm -rf "$tasks/QmSub" "$tasks/Qm Off" "$tasks/Qm Broken"; }

remove_tasks
task_file "$tasks/QmSub/Qm Logon" true '<LogonTrigger><Enabled>true</Enabled></LogonTrigger>' \
  "$(exec_action "$self" '/min &amp; more')$(exec_action 'C:\windows\regedit.exe')"
task_file "$tasks/QmSub/Deeper/Qm Keep" true '<BootTrigger/>' "$(exec_action 'C:\windows\notepad.exe')"
task_file "$tasks/Qm Off" false '<TimeTrigger/><EventTrigger/>' "$(exec_action 'C:\qm\off.exe')"
printf 'MZ this is no task' > "$tasks/Qm Broken"
# A name and a program in letters no ANSI code page holds together.
task_file "$tasks/QmSub/Deeper/Qm Ωmega ζ" true '<LogonTrigger/>' "$(exec_action 'C:\qm\ωmega.exe' 'ζ')"

start_program
run_probe wait-main 30000 >/dev/null
tab=$(tab_of "Scheduled Tasks")
[ -n "$tab" ] && check "the tab is there" ok || check "the tab is there" "no tab captioned Scheduled Tasks"
run_probe select-tab "$tab" >/dev/null
out=$(run_probe dump)
t='C:\windows\System32\Tasks'
expect "every task" "$out" "tab$tab=Scheduled Tasks (5)" \
  "row=\\QmSub\\Deeper\\Qm Ωmega ζ|C:\\qm\\ωmega.exe ζ|logon|yes|C:\\qm\\ωmega.exe|$t\\QmSub\\Deeper\\Qm Ωmega ζ" \
  "row=\\QmSub\\Qm Logon|$self /min & more; C:\\windows\\regedit.exe|logon|yes|$self|$t\\QmSub\\Qm Logon" \
  "row=\\QmSub\\Deeper\\Qm Keep|C:\\windows\\notepad.exe|boot|yes|C:\\windows\\notepad.exe|$t\\QmSub\\Deeper\\Qm Keep" \
  "row=\\Qm Off|C:\\qm\\off.exe|time, event|no|C:\\qm\\off.exe|$t\\Qm Off"
grep -q '^row=\\Qm Broken|(could not be read: .*)||||' <<<"$out" && check "broken file" ok ||
  check "broken file" "no row saying it could not be read"
screenshot scheduled-tasks-tab
colours=$(run_probe row-colours "$tab" "$(row_of '\Qm Off')")
grep -q 'silver=[1-9]' <<<"$colours" && check "disabled: silver" ok || check "disabled: silver" "$colours"
colours=$(run_probe row-colours "$tab" "$(row_of '\QmSub\Qm Logon')")
grep -q 'silver=0 ' <<<"$colours" && check "enabled: not silver" ok || check "enabled: not silver" "$colours"

# ---- Properties: the first program's file, with its version; Jump To: the task's folder
run_probe select-row "$tab" "$(row_of '\QmSub\Qm Logon')" >/dev/null
run_probe menu "$tab" $properties_command >/dev/null
expect "properties" "$(run_probe item-form 5000)" "item visible=1" "title=\\QmSub\\Qm Logon" "command=$self" \
  "location=$t\\QmSub\\" "company=Quellmark" "version=1.0.0.1" "program-icon icon=1"
run_probe item-press Esc >/dev/null
run_probe menu "$tab" $jump_command >/dev/null
expect "jump to the task's folder" "$(run_probe window-title QmSub 10000)" "window=QmSub"

# ---- "&No" changes nothing; "&Yes" deletes the task through the scheduler, the others stay
run_probe select-row "$tab" "$(row_of '\QmSub\Qm Logon')" >/dev/null
run_probe menu "$tab" $delete_command >/dev/null
expect "answer no" "$(run_probe dialog Confirm 10000 "&No")" 'dialog=Are you sure want to delete autorun "\QmSub\Qm Logon" ?'
sleep 0.5
[ -f "$tasks/QmSub/Qm Logon" ] && check "answer no: the task stays" ok || check "answer no" "the task file is gone"
run_probe select-row "$tab" "$(row_of '\QmSub\Qm Logon')" >/dev/null
run_probe menu "$tab" $delete_command >/dev/null
expect "answer yes" "$(run_probe dialog Confirm 10000 "&Yes")" 'dialog=Are you sure want to delete autorun "\QmSub\Qm Logon" ?'
no_error=$(run_probe no-dialog Error 2000) && check "deleted without an error" ok || check "deleted without an error" "$no_error"
[ -f "$tasks/QmSub/Qm Logon" ] && check "answer yes: task deleted" "the task file is still there" ||
  check "answer yes: task deleted" ok
for f in "QmSub/Deeper/Qm Keep" "QmSub/Deeper/Qm Ωmega ζ" "Qm Off" "Qm Broken"; do
  [ -f "$tasks/$f" ] && check "$f stays" ok || check "$f stays" "gone"
done
out=$(run_probe dump)
expect "refreshed" "$out" "tab$tab=Scheduled Tasks (4)"
grep -qF 'row=\QmSub\Qm Logon|' <<<"$out" && check "deleted row" "still listed"
# The task of the name in other letters is named and deleted whole.
run_probe select-row "$tab" "$(row_of '\QmSub\Deeper\Qm Ωmega ζ')" >/dev/null
run_probe menu "$tab" $delete_command >/dev/null
expect "other letters: answer yes" "$(run_probe dialog Confirm 10000 "&Yes")" \
  'dialog=Are you sure want to delete autorun "\QmSub\Deeper\Qm Ωmega ζ" ?'
sleep 0.5
[ -f "$tasks/QmSub/Deeper/Qm Ωmega ζ" ] && check "other letters: deleted" "still there" || check "other letters: deleted" ok
[ -f "$tasks/QmSub/Deeper/Qm Keep" ] && check "other letters: the other stays" ok || check "other letters: the other stays" "gone"

# ---- A task file rewritten while the question is open is left alone
run_probe select-row "$tab" "$(row_of '\Qm Off')" >/dev/null
run_probe menu "$tab" $delete_command >/dev/null
run_probe dialog Confirm 10000 "(leave it open)" >/dev/null
task_file "$tasks/Qm Off" true '<LogonTrigger/>' "$(exec_action 'C:\qm\evil.exe')"
run_probe dialog Confirm 5000 "&Yes" >/dev/null
expect "rewritten meanwhile" "$(run_probe dialog Error 10000 OK)" \
  'dialog="\Qm Off" was not deleted: its task file changed since it was listed.'
grep -q 'evil.exe' <(iconv -f UTF-16 -t UTF-8 "$tasks/Qm Off" 2>/dev/null) && check "rewritten: kept" ok ||
  check "rewritten: kept" "the rewritten task is gone"

# ---- Disable goes through the Task Scheduler's switch (IRegisteredTask::put_Enabled)
run_probe select-row "$tab" "$(row_of '\QmSub\Deeper\Qm Keep')" >/dev/null
run_probe menu "$tab" $toggle_command >/dev/null
expect "disable: the question" "$(run_probe dialog Confirm 10000 "&Yes")" \
  'dialog=Disable the task "\QmSub\Deeper\Qm Keep"? The Task Scheduler will not start it; the task stays as it is, and can be enabled again.'
# Wine's scheduler says it did and leaves the task's file as it was: the
# program reads the file again and says the task was not disabled.
expect "disable: Wine's scheduler leaves the file" "$(run_probe dialog Error 10000 OK)" \
  'dialog="\QmSub\Deeper\Qm Keep" was not disabled: the Task Scheduler accepted the change, but the task'"'"'s file does not say so.'
grep -q '<Enabled>true</Enabled>' <(iconv -f UTF-16 -t UTF-8 "$tasks/QmSub/Deeper/Qm Keep" 2>/dev/null) &&
  check "disable: the file as it was" ok || check "disable: the file as it was" "the task file changed"
stop_program

remove_tasks
finish
