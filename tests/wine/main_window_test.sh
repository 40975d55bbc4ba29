#!/usr/bin/env bash
# The main window of the real program: start-up scan, the Run-key tab, its
# layout, a tab refresh, and the error box for a value that is not text.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
winlogon_rows=$(count_winlogon_rows)

# ---- Run keys with quotes, arguments, an environment reference and the default value
reset_run_key <<EOF2
@="C:\\\\default.exe"
"Quoted"="\\"C:\\\\Program Files\\\\App\\\\app.exe\\" -min"
"Tray"="rundll32.exe shell32.dll,Options_RunDLL 0"
"EnvRef"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,78,2e,65,78,65,20,2d,79,00
EOF2
start_program
out=$(run_probe wait-main 30000; run_probe dump)
expect "start-up" "$out" \
  "main window" \
  "tab0=HKCU / Run (4)" "tab1=HKLM / Run (0)" "tab2=Startup (common) - (0)" "tab3=Startup (user) - (0)" \
  "tab4=HKCU / Run Once (0)" "tab5=HKLM / Run Once (0)" "tab6=HKLM / ShellObject (0)" "tab7=HKLM / Run OnceEx (0)" \
  "tab8=Startup (services) - (2)" "tab9=ActiveX (0)" "tab10=WinLogon ($winlogon_rows)" "tab11=Load - Run (2)" \
  "tab12=HKLM / Explorer-Run (0)" "tab13=HKCU / Explorer-Run (0)" "tab14=HKCU / Desktop (1)" \
  "active=0" "list 0 rows=4" \
  "row=|C:\\default.exe$loc" \
  "row=EnvRef|%SystemRoot%\\x.exe -y$loc" \
  "row=Quoted|\"C:\\Program Files\\App\\app.exe\" -min$loc" \
  "row=Tray|rundll32.exe shell32.dll,Options_RunDLL 0$loc"
if ! grep -q "^caption=Quellmark  -  \[.*/.*\]$" <<<"$out"; then echo "FAIL [caption]: $out" | head -3; failures=$((failures + 1)); fi
screenshot main-window
# At its first size: the tabs over the page, OK and About where they always
# were, "Changes..." left of About with the same gap, the bevel below.
expect "layout" "$(run_probe layout)" "client=554x454" 'SysTabControl32 "" at 0,0 size 554x414' \
  'Button "OK" at 471,416 size 75x25' 'Button "About" at 382,416 size 75x25' \
  'Button "Changes..." at 293,416 size 75x25' 'Static "" at 0,446 size 554x2'
# A caption edited in place is what the actions then read: the confirmation
# names it, and "&No" leaves the registry alone.
run_probe edit-caption 0 2 Renamed >/dev/null
run_probe select-row 0 2 >/dev/null
run_probe menu 0 0 >/dev/null
out=$(run_probe dialog Confirm 10000 '&No'; run_probe rows 0; wine reg query "$run_key" /v Quoted 2>/dev/null | tr -d '\r')
expect "edited caption" "$out" 'dialog=Are you sure want to delete autorun "Renamed" ?' \
  "row=Renamed|\"C:\\Program Files\\App\\app.exe\" -min$loc"
grep -q 'Quoted' <<<"$out" || { echo "FAIL [edited caption]: the value was touched"; failures=$((failures + 1)); }
# The popup menu with its images, for the artifacts (an open menu is a window of its own).
run_probe rclick 0 0 >/dev/null
sleep 0.5
menu_window=$(xwininfo -root -tree 2>/dev/null | awk '/"quellmark.exe"/ && / 124x/ {print $1; exit}')
[ -n "$menu_window" ] && xwd -id "$menu_window" -silent 2>/dev/null | /usr/bin/convert xwd:- -scale 300% "$artifacts/popup-menu.png" 2>/dev/null
run_probe cancel-menu >/dev/null
# Another tab refreshes its own list; the Run tab keeps its count.
run_probe select-tab 10 >/dev/null
out=$(run_probe dump)
expect "winlogon tab" "$out" "active=10" "list 10 rows=$winlogon_rows" "row=Shell|explorer.exe" "row=Taskman|No Autorun Entry" \
  "tab0=HKCU / Run (4)"
stop_program

# ---- A value that is not text is a row with its type and size; no box, the scan goes on
reset_run_key <<EOF2
"Alpha"="C:\\\\alpha.exe"
"Flags"=dword:00000001
"Omega"="C:\\\\omega.exe"
EOF2
start_program
out=$(run_probe wait-main 10000; run_probe dump; run_probe no-dialog Quellmark 500)
expect "not text" "$out" \
  "tab0=HKCU / Run (3)" "tab1=HKLM / Run (0)" "tab7=HKLM / Run OnceEx (0)" "tab10=WinLogon ($winlogon_rows)" \
  "tab14=HKCU / Desktop (1)" "list 0 rows=3" "row=Alpha|C:\\alpha.exe$loc" "row=Flags|(REG_DWORD, 4 bytes)$loc" \
  "row=Omega|C:\\omega.exe$loc"
stop_program
reset_run_key </dev/null

finish
