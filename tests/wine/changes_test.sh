#!/usr/bin/env bash
# The Changes window of the real program. Four entries are deleted through
# the main window's popup menus (a Run value, a startup shortcut, one DLL of
# an AppInit_DLLs value holding two, a scheduled task); the window, opened by
# Ctrl+Z and by its button, lists their records newest first, and Restore
# puts each back: the keys' exports and the startup folder's files (names,
# sizes, times, bytes) are then as they were before, and the task is
# registered again at its path (in a file the scheduler writes itself).
# Restore and Forget need a selected row; what another program selects or
# posts to the window while a question is open changes nothing; Forget asks
# first; Esc and Close close the window.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

delete_command=0
check() {  # check NAME RESULT: "ok" passes, anything else is the failure's text
  if [ "$2" = ok ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAIL [$1]: $2"; fi
}
tab_of() { run_probe dump | sed -n "s/^tab\([0-9]*\)=$1.*/\1/p"; }
# The 0-based row of the list on TAB whose first cell is NAME.
row_of() { run_probe rows "$1" | grep '^row=' | sed 's/^row=//; s/|.*//' | grep -nxF -- "$2" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
# The Changes window's rows without their time (the first cell), and the row
# of the record whose Done and Entry cells are DONE and ENTRY.
changes_rows() { run_probe changes 5000 | sed -n 's/^row=[^|]*|/row=|/p'; }
changes_row() { changes_rows | grep -nF -- "row=|$1|$2|" | head -n 1 | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
changes_count() { run_probe changes 5000 | sed -n 's/^rows=//p'; }
wait_count() {  # wait_count N: until the Changes window lists N rows
  for _ in $(seq 40); do [ "$(changes_count)" = "$1" ] && return; sleep 0.25; done
}

windows='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Windows'
tasks=$WINEPREFIX/drive_c/windows/system32/tasks
journal=$WINEPREFIX/drive_c/ProgramData/Quellmark
user=$(run_probe special-folder 7)
user_u=$(winepath -u "$user" 2>/dev/null)
if [ -z "$user" ] || [ ! -d "$user_u" ]; then echo "FAIL: no startup folder"; exit 1; fi
# A task file as the scheduler writes it: UTF-16 with its byte-order mark.
task_file() {  # task_file PATH COMMAND
  printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task"><Triggers><LogonTrigger/></Triggers><Settings><Enabled>true</Enabled></Settings><Actions Context="Author"><Exec><Command>%s</Command></Exec></Actions></Task>\r\n' \
    "$2" | iconv -f UTF-8 -t UTF-16 >"$1"
}

cleanup() {
  reset_run_key </dev/null
  wine reg delete "$windows" /v AppInit_DLLs /f >/dev/null 2>&1
  wine reg delete "$windows" /v LoadAppInit_DLLs /f >/dev/null 2>&1
  rm -f "$user_u"/qm-* "$tasks/Qm Restore" "$tasks/Qm Stay"
  # The journal of this prefix: each run starts with none.
  rm -rf "$journal"
}
cleanup
# Wine's scheduler makes its own service (Schedule) start with Windows once
# a task is registered, as a restore does: its start type is put back at the
# end, so that the tests after this one find the services as they were.
scheduler_start=$(run_probe start-type Schedule | sed -n 's/^start=//p')
reset_run_key <<EOF2
"QmRestore"="\"C:\\\\qm\\\\restore.exe\" /tray"
"QmStay"="C:\\\\qm\\\\stay.exe"
EOF2
# Not loaded (0): Wine would load the DLLs into every program it starts.
import_reg <<EOF2
[$windows]
"AppInit_DLLs"="C:\\\\qm\\\\stay.dll, C:\\\\qm\\\\gone.dll"
"LoadAppInit_DLLs"=dword:00000000
EOF2
run_probe make-shortcut "$user\\qm-restore.lnk" 'C:\qm\restore.exe' >/dev/null
run_probe make-shortcut "$user\\qm-stay.lnk" 'C:\qm\stay.exe' >/dev/null
touch -d '2021-02-03 04:05:06' "$user_u/qm-restore.lnk" "$user_u/qm-stay.lnk"
task_file "$tasks/Qm Restore" 'C:\qm\restore.exe'
task_file "$tasks/Qm Stay" 'C:\qm\stay.exe'

# What the four places hold: the keys as the registry editor exports them,
# each file of the startup folder with its size, modification time and
# bytes, and the task files.
state() {  # state DIR
  mkdir -p "$1"
  wine reg export "$run_key" "$(winepath -w "$1/run.reg")" /y >/dev/null 2>&1
  wine reg export "$windows" "$(winepath -w "$1/windows.reg")" /y >/dev/null 2>&1
  (cd "$user_u" && for f in qm-*; do echo "$f $(stat -c '%s %Y' "$f") $(md5sum <"$f" | cut -d' ' -f1)"; done) >"$1/startup.txt"
  # The task that is put back is the scheduler's file (below): its name alone.
  (cd "$tasks" && ls -d "Qm Restore" 2>/dev/null; echo "Qm Stay $(md5sum <"Qm Stay" | cut -d' ' -f1)") >"$1/tasks.txt"
}
same() {  # same NAME FILE_A FILE_B
  if cmp -s "$2" "$3"; then passed=$((passed + 1)); else
    failures=$((failures + 1)); echo "FAIL [$1]: $2 and $3 differ"
    case "$2" in *.reg) diff <(iconv -f UTF-16 -t UTF-8 "$2") <(iconv -f UTF-16 -t UTF-8 "$3") ;; *) diff "$2" "$3" ;; esac | head -20
  fi
}
before="$artifacts/changes-before" after="$artifacts/changes-after"
rm -rf "$before" "$after"
state "$before"
[ -s "$before/run.reg" ] && [ -s "$before/windows.reg" ] && [ "$(wc -l <"$before/startup.txt")" = 2 ] &&
  [ "$(wc -l <"$before/tasks.txt")" = 2 ] && check "the places as seeded" ok || check "the places as seeded" "$(cat "$before"/*.txt)"

start_program
run_probe wait-main 30000 >/dev/null
hooks=$(tab_of "System Hooks") scheduled=$(tab_of "Scheduled Tasks")
# The task's row as listed from the file the test wrote.
run_probe select-tab "$scheduled" >/dev/null
task_row=$(run_probe rows "$scheduled" | grep -F 'row=\Qm Restore|')

# Chooses "&Delete Items..." on the row NAME of TAB and answers "&Yes".
delete_row() {  # delete_row TAB NAME
  local row
  run_probe select-tab "$1" >/dev/null
  row=$(row_of "$1" "$2")
  [ -n "$row" ] || { echo "no row $2 on tab $1"; return; }
  run_probe select-row "$1" "$row" >/dev/null
  run_probe menu "$1" $delete_command >/dev/null
  run_probe dialog Confirm 10000 "&Yes"
  for _ in $(seq 40); do [ -z "$(row_of "$1" "$2")" ] && break; sleep 0.25; done
  run_probe no-dialog Error 500
}
expect "delete the Run value" "$(delete_row 0 QmRestore)" 'dialog=Are you sure want to delete autorun "QmRestore" ?'
expect "delete the shortcut" "$(delete_row 3 qm-restore.lnk)" 'dialog=Are you sure want to delete autorun "qm-restore.lnk" ?'
expect "delete the AppInit DLL" "$(delete_row "$hooks" 'C:\qm\gone.dll')" \
  'dialog=Are you sure want to delete autorun "C:\qm\gone.dll" ?'
expect "delete the task" "$(delete_row "$scheduled" '\Qm Restore')" 'dialog=Are you sure want to delete autorun "\Qm Restore" ?'
out=$(wine reg query "$run_key" 2>/dev/null | tr -d '\r'; wine reg query "$windows" /v AppInit_DLLs 2>/dev/null | tr -d '\r'
      ls "$user_u" "$tasks")
expect "all four deleted" "$out" "    QmStay    REG_SZ    C:\\qm\\stay.exe" "    AppInit_DLLs    REG_SZ    C:\\qm\\stay.dll" \
  "qm-stay.lnk" "Qm Stay"
for gone in QmRestore gone.dll qm-restore.lnk "Qm Restore"; do
  grep -qF -- "$gone" <<<"$out" && check "$gone deleted" "still there" || check "$gone deleted" ok
done

# ---- Ctrl+Z opens the window over the main window: newest first, nothing selected
run_probe select-tab 0 >/dev/null
run_probe keys Ctrl+Z >/dev/null
out=$(run_probe changes 10000)
expect "opened by Ctrl+Z" "$out" "title=Changes" "owner=main" "main enabled=0" "client=760x360" \
  "button &Restore enabled=0" "button &Forget enabled=0" "button Close enabled=1 default" \
  "list=SysListView32 report=1 single=1 full-row=1" "columns=4" 'column 0="When" width=115' \
  'column 1="Done" width=190' 'column 2="Entry" width=150' 'column 3="Where" width=420' \
  "rows=4" "selected=-1" "focus=list" 'status=4 changes, kept in C:\ProgramData\Quellmark\Changes\'
grep -qE '^row=[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\|' <<<"$out" && check "when: local time" ok ||
  check "when: local time" "$(grep '^row=' <<<"$out" | head -1)"
out=$(changes_rows)
[ "$(sed -n 1p <<<"$out" | cut -d'|' -f3)" = '\Qm Restore' ] && [ "$(sed -n 4p <<<"$out" | cut -d'|' -f3)" = QmRestore ] &&
  check "newest first" ok || check "newest first" "$out"
for entry in 'Deleted the value|QmRestore' 'Deleted the file|qm-restore.lnk' 'Removed from the value|C:\qm\gone.dll' \
  'Deleted the task|\Qm Restore'; do
  grep -qF "row=|$entry|" <<<"$out" && check "record $entry" ok || check "record $entry" "$out"
done
screenshot changes-window

# ---- Restore puts each back, after the question; the main window's tab lists it again
restore() {  # restore DONE ENTRY TAB
  local row count
  row=$(changes_row "$1" "$2") count=$(changes_count)
  [ -n "$row" ] || { echo "no record $1 $2"; return; }
  run_probe changes-select "$row" >/dev/null
  run_probe changes 5000 | grep '^button &'
  run_probe changes-button Restore >/dev/null
  run_probe dialog Confirm 10000 "&Yes"
  wait_count $((count + 1))
  run_probe no-dialog Error 500 || true
  run_probe rows "$3" | grep -F "row=$2|" | cut -d'|' -f1
}
out=$(restore 'Deleted the value' QmRestore 0)
expect "restore the Run value" "$out" "button &Restore enabled=1" "button &Forget enabled=1" \
  'dialog=Put back "QmRestore" as it was before this change (Deleted the value, HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run)?' \
  "row=QmRestore"
grep -q '^unexpected dialog' <<<"$out" && check "restore the Run value: no error" "$out" || check "restore the Run value: no error" ok
out=$(restore 'Deleted the file' qm-restore.lnk 3)
expect "restore the shortcut" "$out" "row=qm-restore.lnk"
grep -q '^unexpected dialog' <<<"$out" && check "restore the shortcut: no error" "$out" || check "restore the shortcut: no error" ok
out=$(restore 'Deleted the task' '\Qm Restore' "$scheduled")
expect "restore the task" "$out" "row=\\Qm Restore"
grep -q '^unexpected dialog' <<<"$out" && check "restore the task: no error" "$out" || check "restore the task: no error" ok
# The task is registered again from its definition, and the scheduler
# writes its own file; under Wine, whose scheduler writes one without the
# triggers and actions, the program gives that file the definition it
# registered. Either way the task is listed as it was before.
expect "the restored task as listed before" "$(run_probe rows "$scheduled" | grep -F 'row=\Qm Restore|')" "$task_row"

# The last one while another program selects another record and posts
# Forget and Restore to the window as the question is open: the record
# confirmed is put back, nothing else is asked, nothing is forgotten.
row=$(changes_row 'Removed from the value' 'C:\qm\gone.dll') count=$(changes_count)
run_probe changes-select "$row" >/dev/null
run_probe changes-button Restore >/dev/null
question=$(run_probe dialog-open Confirm 10000)
run_probe changes-select 0 >/dev/null
run_probe changes-post Forget >/dev/null
run_probe changes-post Restore >/dev/null
sleep 0.5
run_probe dialog Confirm 1000 "&Yes" >/dev/null
wait_count $((count + 1))
out=$(echo "$question"; run_probe no-dialog Confirm 1500; echo "rows=$(changes_count)"; run_probe rows "$hooks" | grep -F 'row=C:\qm\gone.dll|' | cut -d'|' -f1)
expect "restore the AppInit DLL, steered meanwhile" "$out" \
  "dialog=Put back \"C:\\qm\\gone.dll\" as it was before this change (Removed from the value, $windows)?" \
  "rows=$((count + 1))" 'row=C:\qm\gone.dll'
grep -q '^unexpected dialog' <<<"$out" && check "nothing else asked" "$out" || check "nothing else asked" ok
screenshot changes-restored

# ---- Forget: "&No" keeps the record, "&Yes" removes it; without a selection neither is available
count=$(changes_count)
run_probe changes-select 0 >/dev/null
entry=$(changes_rows | sed -n 1p | cut -d'|' -f3)
run_probe changes-button Forget >/dev/null
out=$(run_probe dialog Confirm 10000 "&No"; sleep 0.3; echo "rows=$(changes_count)")
expect "forget, answered No" "$out" \
  "dialog=Forget the record of \"$entry\"? The change it holds cannot be put back once the record is gone." "rows=$count"
run_probe changes-button Forget >/dev/null
run_probe dialog Confirm 10000 "&Yes" >/dev/null
wait_count $((count - 1))
expect "forget, answered Yes" "$(run_probe changes 5000)" "rows=$((count - 1))" "selected=-1" \
  "button &Restore enabled=0" "button &Forget enabled=0"

# ---- Esc closes the window, and so does Close; the button opens it too
run_probe changes-key Esc >/dev/null
expect "Esc closes" "$(run_probe changes-gone 3000)" "changes closed" "main enabled=1"
run_probe changes-press >/dev/null
expect "the button opens it" "$(run_probe changes 5000)" "title=Changes" "rows=$((count - 1))"
run_probe changes-button Close >/dev/null
expect "Close closes" "$(run_probe changes-gone 3000)" "changes closed" "main enabled=1"
stop_program

# ---- Every place is as it was before the deletions
state "$after"
same "the Run key" "$before/run.reg" "$after/run.reg"
same "the Windows key" "$before/windows.reg" "$after/windows.reg"
same "the startup folder" "$before/startup.txt" "$after/startup.txt"
same "the task files" "$before/tasks.txt" "$after/tasks.txt"

# ---- The report lists the same journal: each kind of change and its restore
journal=$(timeout 120 wine "$(dirname "$exe")/quellmark-report.exe" --changes --format csv 2>/dev/null | tr -d '\r')
expect "the report's --changes" "$(sed -n 1p <<<"$journal"; cut -d, -f2,4 <<<"$journal" | sort -u)" \
  "file,state,time,kind,done,category,entry,where,damage" \
  "ok,deleted-value" "ok,deleted-file" "ok,rewrote-value" "ok,deleted-task" "ok,restored"

cleanup
[ -n "$scheduler_start" ] && run_probe start-type Schedule "$scheduler_start" >/dev/null
finish
