#!/usr/bin/env bash
# The services tab of the real program against Wine's service control
# manager: the running own-process services with their command lines, and
# deleting and disabling scratch services through the popup menu's commands
# and the message boxes, checked in the manager afterwards. Both act on the
# selected row, with the focus on another row or on none.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

services_tab=8 delete_command=0 disable_command=1
service_exe=$(winepath -w "$build/qm_scratch_service.exe" 2>/dev/null)
services_key='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services'
scratch="QmScratchDel QmScratchGone QmScratchOff QmScratchKeep QmScratchIdle"

sc() { wine sc "$@" 2>/dev/null | tr -d '\r'; }
state_of() { sc query "$1" | sed -n 's/^ *STATE *: *\([0-9]*\).*/\1/p'; }
start_type_of() { wine reg query "$services_key\\$1" /v Start 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_DWORD *0x//p'; }
remove_scratch() {
  local name
  for name in $scratch; do sc stop "$name" >/dev/null; sc delete "$name" >/dev/null; done
}
# The position of a service's row on the services tab, counted from 0.
row_of() { run_probe rows $services_tab | grep '^row=' | grep -n "^row=$1|" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
check() {  # check NAME RESULT: "ok" passes, anything else is the failure's text
  if [ "$2" = ok ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAIL [$1]: $2"; fi
}
# Passes when no "Quellmark" message box appears within MS milliseconds.
no_report() {  # no_report NAME MS
  local out
  if out=$(run_probe no-dialog Quellmark "$2"); then check "$1" ok; else check "$1" "$out"; fi
}

remove_scratch
for name in QmScratchDel QmScratchGone QmScratchOff QmScratchKeep; do
  sc create "$name" binpath= "\"$service_exe\" -run $name" displayname= "Scratch ${name#QmScratch}" start= auto >/dev/null
  sc start "$name" >/dev/null
done
sc create QmScratchIdle binpath= "\"$service_exe\"" start= auto >/dev/null  # created, never started

# ---- Wine's own running services and the scratch ones, with their command lines
start_program
run_probe wait-main 30000 >/dev/null
run_probe select-tab $services_tab >/dev/null
out=$(run_probe dump)
expect "services tab" "$out" \
  "active=$services_tab" "tab$services_tab=Startup (services) - (6)" "list $services_tab rows=6" \
  "row=Winedevice1|Winedevice1|C:\\windows\\system32\\winedevice.exe" \
  "row=Winedevice2|Winedevice2|C:\\windows\\system32\\winedevice.exe" \
  "row=QmScratchDel|Scratch Del|\"$service_exe\" -run QmScratchDel" \
  "row=QmScratchGone|Scratch Gone|\"$service_exe\" -run QmScratchGone" \
  "row=QmScratchOff|Scratch Off|\"$service_exe\" -run QmScratchOff" \
  "row=QmScratchKeep|Scratch Keep|\"$service_exe\" -run QmScratchKeep"
grep -q '^row=QmScratchIdle' <<<"$out" && check "stopped service" "QmScratchIdle is listed although it never ran"
screenshot services-tab

# ---- A click on empty space clears the selection and leaves the focus on a row: both items do nothing
run_probe click-row $services_tab "$(row_of QmScratchKeep)" >/dev/null
run_probe click-row $services_tab -1 >/dev/null
expect "nothing selected" "$(run_probe list-state $services_tab)" "selected=-1 focused=$(row_of QmScratchKeep)"
run_probe menu $services_tab $delete_command >/dev/null
no_confirmation=$(run_probe no-dialog Confirm 1500) && check "delete without a selected row" ok ||
  check "delete without a selected row" "$no_confirmation"
run_probe menu $services_tab $disable_command >/dev/null
sleep 0.5
[ "$(start_type_of QmScratchKeep)" = 2 ] && check "disable without a selected row" ok ||
  check "disable without a selected row" "QmScratchKeep has start type $(start_type_of QmScratchKeep)"

# ---- "&No" leaves the service alone and nothing is reported later
run_probe set-rows $services_tab "$(row_of QmScratchDel)" "$(row_of QmScratchOff)" >/dev/null
run_probe menu $services_tab $delete_command >/dev/null
out=$(run_probe dialog Confirm 10000 "&No")
expect "answer no" "$out" 'dialog=Are you sure want to delete autorun "QmScratchDel" ?'
no_report "answer no: no report" 6000
[ "$(state_of QmScratchDel)" = 4 ] && check "answer no: still running" ok || check "answer no" "QmScratchDel changed"

# ---- "&Yes": the selected service is deleted at once (the focused one stays), reported five
# seconds later, then the list is read again
run_probe set-rows $services_tab "$(row_of QmScratchDel)" "$(row_of QmScratchKeep)" >/dev/null
run_probe menu $services_tab $delete_command >/dev/null
out=$(run_probe dialog Confirm 10000 "&Yes")
expect "answer yes" "$out" 'dialog=Are you sure want to delete autorun "QmScratchDel" ?'
sc stop QmScratchDel >/dev/null  # a deleted service leaves the manager once it has stopped
no_report "the report waits for the timer" 3500
# The box stays open over two more intervals; the list is read again only once it is closed.
report=$(run_probe dialog Quellmark 6000 "(leave it open)")
sleep 11
while_open=$(run_probe rows $services_tab)
run_probe dialog Quellmark 2000 OK >/dev/null
no_report "one report however long it stays open" 1500
out=$(run_probe dump)
expect "deletion reported" "$report
$while_open
$out" "dialog=Successful Delete..." "list $services_tab rows=6" \
  "tab$services_tab=Startup (services) - (5)" "list $services_tab rows=5"
grep -q '^row=QmScratchDel|' <<<"$out" && check "deleted row" "QmScratchDel still listed after the refresh"
[ -z "$(state_of QmScratchDel)" ] && check "deleted in the manager" ok || check "deleted in the manager" "QmScratchDel is still there"
[ "$(state_of QmScratchKeep)" = 4 ] && check "the focused service stays" ok || check "the focused service stays" "QmScratchKeep is gone"
no_report "reported once" 6000

# ---- A deletion the manager refuses (the service is marked for deletion already): no report
sc delete QmScratchGone >/dev/null
run_probe select-row $services_tab "$(row_of QmScratchGone)" >/dev/null
run_probe menu $services_tab $delete_command >/dev/null
out=$(run_probe dialog Confirm 10000 "&Yes")
expect "refused deletion" "$out" 'dialog=Are you sure want to delete autorun "QmScratchGone" ?'
no_report "refused: no report" 7000

# ---- Disabling: the selected service's start type becomes 4 at once, without a message or a
# refresh; the focused one keeps its start type
before=$(run_probe rows $services_tab)
run_probe set-rows $services_tab "$(row_of QmScratchOff)" "$(row_of QmScratchKeep)" >/dev/null
run_probe menu $services_tab $disable_command >/dev/null
no_report "disable: no message" 1500
[ "$(start_type_of QmScratchOff)" = 4 ] && check "disabled" ok || check "disabled" "start type $(start_type_of QmScratchOff)"
[ "$(state_of QmScratchOff)" = 4 ] && check "disabled: still running" ok || check "disabled: still running" "state $(state_of QmScratchOff)"
[ "$(run_probe rows $services_tab)" = "$before" ] && check "disable: list unchanged" ok || check "disable: list unchanged" "the list changed"
for name in QmScratchIdle QmScratchKeep; do
  type=$(start_type_of $name)
  [ "$type" = 2 ] && check "$name keeps its start type" ok ||
    check "$name keeps its start type" "$name has start type '$type'; $(run_probe list-state $services_tab | tr '\n' ' ')"
done
stop_program

remove_scratch
finish
