#!/usr/bin/env bash
# The "Services and Drivers" tab of the real program against Wine's service
# control manager: Wine's own automatic services and drivers, an automatic
# service that never ran, a system-start driver named by its \SystemRoot\
# path, a manual service left out; Properties inspects the driver's file;
# Delete ("&No", then "&Yes") and Disable (asked first, with a warning for a
# driver Windows loads while it starts) act on exactly the selected entry.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

delete_command=0 disable_command=1 jump_command=2 properties_command=3
service_exe=$(winepath -w "$build/qm_scratch_service.exe" 2>/dev/null)
services_key='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services'
drivers=$WINEPREFIX/drive_c/windows/system32/drivers
scratch="QmAutoIdle QmAutoKeep QmManual QmDriver"

sc() { wine sc "$@" 2>/dev/null | tr -d '\r'; }
start_type_of() { wine reg query "$services_key\\$1" /v Start 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_DWORD *0x//p'; }
exists() { wine reg query "$services_key\\$1" >/dev/null 2>&1; }
remove_scratch() {
  local name
  for name in $scratch; do sc delete "$name" >/dev/null; done
  rm -f "$drivers/qmdriver.sys"
}
tab_of() { run_probe dump | sed -n "s/^tab\([0-9]*\)=$1.*/\1/p"; }
row_of() { run_probe rows "$tab" | grep '^row=' | grep -n "^row=$1|" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
check() {  # check NAME RESULT: "ok" passes, anything else is the failure's text
  if [ "$2" = ok ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAIL [$1]: $2"; fi
}

remove_scratch
# The driver's file is a copy of the program: a real file with a known version resource.
cp "$exe" "$drivers/qmdriver.sys"
sc create QmAutoIdle binpath= "\"$service_exe\" -run QmAutoIdle" displayname= "Qm Auto Idle" start= auto >/dev/null
sc create QmAutoKeep binpath= "\"$service_exe\" -run QmAutoKeep" displayname= "Qm Auto Keep" start= auto >/dev/null
sc create QmManual binpath= "\"$service_exe\"" start= demand >/dev/null
sc create QmDriver type= kernel start= system binpath= '\SystemRoot\System32\drivers\qmdriver.sys' \
  displayname= "Qm Driver" >/dev/null

start_program
run_probe wait-main 30000 >/dev/null
tab=$(tab_of "Services and Drivers")
[ -n "$tab" ] && check "the tab is there" ok || check "the tab is there" "no tab captioned Services and Drivers"
run_probe select-tab "$tab" >/dev/null
out=$(run_probe dump)
expect "services and drivers" "$out" \
  "tab$tab=Services and Drivers (8)" "list $tab rows=8" \
  "row=PlugPlay|Plug and Play Service|shared process|automatic|running|C:\\windows\\system32\\plugplay.exe|C:\\windows\\system32\\plugplay.exe" \
  "row=MountMgr|Mount Manager|kernel driver|automatic|running|C:\\windows\\system32\\drivers\\mountmgr.sys|C:\\windows\\system32\\drivers\\mountmgr.sys" \
  "row=QmAutoIdle|Qm Auto Idle|own process|automatic|stopped|$service_exe|\"$service_exe\" -run QmAutoIdle" \
  "row=QmAutoKeep|Qm Auto Keep|own process|automatic|stopped|$service_exe|\"$service_exe\" -run QmAutoKeep" \
  "row=QmDriver|Qm Driver|kernel driver|system|stopped|C:\\windows\\System32\\drivers\\qmdriver.sys|\\SystemRoot\\System32\\drivers\\qmdriver.sys"
grep -q '^row=QmManual|' <<<"$out" && check "manual service" "QmManual is listed although it starts on demand"
[ "$(grep -c '^row=QmAutoIdle|' <<<"$out")" = 1 ] && check "listed once" ok || check "listed once" "QmAutoIdle not listed once"
screenshot services-drivers-tab

# ---- Disable asks first; for a system-start driver it warns that Windows may need it
run_probe set-rows "$tab" "$(row_of QmDriver)" "$(row_of QmDriver)" >/dev/null
run_probe menu "$tab" $disable_command >/dev/null
expect "disable a driver: the question" "$(run_probe dialog Confirm 10000 "&No")" \
  'dialog=Disable the driver "QmDriver" (starts: system)? Windows will no longer start it; it stays installed, and its start type can be set again.' \
  'Windows may not start without it: Windows loads it while it starts. Disable it only if you know it is not needed.'
sleep 0.3
[ "$(start_type_of QmDriver)" = 1 ] && check "answered No: the driver keeps its start type" ok ||
  check "answered No: the driver keeps its start type" "start type $(start_type_of QmDriver)"

# ---- Properties of the driver's row: its resolved file, with that file's icon and version
run_probe select-row "$tab" "$(row_of QmDriver)" >/dev/null
run_probe menu "$tab" $properties_command >/dev/null
out=$(run_probe item-form 5000)
expect "driver properties" "$out" "item visible=1" "title=QmDriver" \
  "command=C:\\windows\\System32\\drivers\\qmdriver.sys" "location=Qm Driver" "company=Quellmark" "version=1.0.0.1" \
  "program-icon icon=1"
run_probe item-press Esc >/dev/null

# ---- Jump To opens the driver's folder
run_probe menu "$tab" $jump_command >/dev/null
expect "jump to the driver's folder" "$(run_probe window-title drivers 10000)" "window=drivers"

# ---- "&No" changes nothing; "&Yes" deletes exactly the selected driver, reported by the timer
run_probe set-rows "$tab" "$(row_of QmDriver)" "$(row_of QmAutoKeep)" >/dev/null
run_probe menu "$tab" $delete_command >/dev/null
out=$(run_probe dialog Confirm 10000 "&No")
expect "answer no" "$out" 'dialog=Are you sure want to delete autorun "QmDriver" ?'
sleep 0.5
exists QmDriver && check "answer no: the driver stays" ok || check "answer no" "QmDriver is gone"
run_probe set-rows "$tab" "$(row_of QmDriver)" "$(row_of QmAutoKeep)" >/dev/null
run_probe menu "$tab" $delete_command >/dev/null
out=$(run_probe dialog Confirm 10000 "&Yes")
report=$(run_probe dialog Quellmark 10000 OK)
expect "answer yes" "$out
$report" 'dialog=Are you sure want to delete autorun "QmDriver" ?' "dialog=Successful Delete..."
sleep 0.5
exists QmDriver && check "driver deleted" "QmDriver is still there" || check "driver deleted" ok
for name in QmAutoIdle QmAutoKeep QmManual; do
  exists $name && check "$name stays" ok || check "$name stays" "$name is gone"
done
out=$(run_probe dump)
expect "refreshed after the report" "$out" "tab$tab=Services and Drivers (7)"
grep -q '^row=QmDriver|' <<<"$out" && check "deleted row" "QmDriver still listed"

# ---- Disable: the selected service's start type becomes 4, the focused one keeps its own
run_probe set-rows "$tab" "$(row_of QmAutoIdle)" "$(row_of QmAutoKeep)" >/dev/null
run_probe menu "$tab" $disable_command >/dev/null
expect "disable: the question" "$(run_probe dialog Confirm 10000 "&Yes")" \
  'dialog=Disable the service "QmAutoIdle" (starts: automatic)? Windows will no longer start it; it stays installed, and its start type can be set again.'
sleep 0.5
[ "$(start_type_of QmAutoIdle)" = 4 ] && check "disabled" ok || check "disabled" "start type $(start_type_of QmAutoIdle)"
[ "$(start_type_of QmAutoKeep)" = 2 ] && check "the focused one keeps its start type" ok ||
  check "the focused one keeps its start type" "QmAutoKeep has start type $(start_type_of QmAutoKeep)"
# Shown again, a disabled service no longer starts by itself.
run_probe select-tab 0 >/dev/null
run_probe select-tab "$tab" >/dev/null
out=$(run_probe dump)
expect "disabled: left out" "$out" "tab$tab=Services and Drivers (6)"
grep -q '^row=QmAutoIdle|' <<<"$out" && check "disabled row" "QmAutoIdle still listed"
stop_program

remove_scratch
finish
