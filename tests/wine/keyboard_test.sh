#!/usr/bin/env bash
# The main window of the real program driven by the keyboard alone (keys sent
# as input, the window in front): Enter on a row opens its Item Properties,
# Esc does nothing anywhere in the window, Tab walks the tabs, the list and
# the three buttons, Enter or Space presses the button with the focus, and
# Ctrl+Z opens the Changes window from the list, the tabs or a button.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

reset_run_key <<EOF2
"Alpha"="C:\\\\qm\\\\alpha.exe"
"Beta"="C:\\\\qm\\\\beta.exe /b"
EOF2

# Passes when the program is still running and shows no About dialog.
still_running() {  # still_running NAME
  local out
  out=$(run_probe no-dialog "About Quellmark" 1000; run_probe wait-main 0)
  if kill -0 "$program_pid" 2>/dev/null && grep -qx "main window" <<<"$out"; then
    passed=$((passed + 1))
  else
    failures=$((failures + 1)); echo "FAIL [$1]: the program ended or opened About"; echo "$out"
  fi
}
# Passes when the program ends by itself within five seconds.
ends() {  # ends NAME
  for _ in $(seq 50); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$program_pid" 2>/dev/null; then
    failures=$((failures + 1)); echo "FAIL [$1]: the program is still running"
    stop_program
  else
    passed=$((passed + 1)); wait "$program_pid" 2>/dev/null
  fi
}

start_program
run_probe wait-main 30000 >/dev/null
expect "first focus" "$(run_probe focus)" "focus=tabs"

# ---- Enter on a row: the row's Item Properties, as a double-click gives; the program stays
run_probe click-row 0 1 >/dev/null
expect "clicked row" "$(run_probe focus; run_probe list-state 0)" "focus=list 0" "selected=1 focused=1"
run_probe keys Enter >/dev/null
expect "Enter on a row" "$(run_probe item-form 3000)" "item visible=1" "title=Beta" "command=C:\\qm\\beta.exe /b"
still_running "Enter on a row"
run_probe item-press Esc >/dev/null
sleep 0.3
expect "focus back on the list" "$(run_probe item-form 0; run_probe focus)" "item visible=0" "focus=list 0"

# ---- Esc on the list and on every stop of the Tab order does nothing; Tab and Shift+Tab walk the stops
run_probe keys Esc >/dev/null
still_running "Esc on the list"
forward=""
for _ in 1 2 3 4 5; do
  run_probe keys Tab >/dev/null
  forward+="$(run_probe focus);"
  run_probe keys Esc >/dev/null
done
expect "Tab order" "$forward" "focus=OK;focus=About;focus=Changes...;focus=tabs;focus=list 0;"
still_running "Esc on the tabs and the buttons"
backward=""
for _ in 1 2 3 4 5; do
  run_probe keys Shift+Tab >/dev/null
  backward+="$(run_probe focus);"
done
expect "Shift+Tab order" "$backward" "focus=tabs;focus=Changes...;focus=About;focus=OK;focus=list 0;"

# ---- Enter and Space on the About button open About; the focus comes back to the button
run_probe keys Tab Tab >/dev/null
for key in Enter Space; do
  run_probe keys "$key" >/dev/null
  expect "$key on About" "$(run_probe about 3000)" "title=About Quellmark" "focus=OK"
  run_probe about-key Esc >/dev/null
  expect "$key on About: closed" "$(run_probe about-gone 3000; run_probe focus)" "about closed" "focus=About"
done

# ---- Enter on "Changes..." and Ctrl+Z open the Changes window; Esc closes it and the focus comes back
run_probe keys Tab >/dev/null
expect "Changes focused" "$(run_probe focus)" "focus=Changes..."
run_probe keys Enter >/dev/null
expect "Enter on Changes..." "$(run_probe changes 3000)" "title=Changes" "focus=list"
run_probe changes-key Esc >/dev/null
expect "Enter on Changes...: closed" "$(run_probe changes-gone 3000; run_probe focus)" "changes closed" "focus=Changes..."
for stop in tabs "list 0" Changes...; do
  for _ in 1 2 3 4 5; do [ "$(run_probe focus)" = "focus=$stop" ] && break; run_probe keys Tab >/dev/null; done
  run_probe keys Ctrl+Z >/dev/null
  expect "Ctrl+Z on $stop" "$(run_probe changes 3000)" "title=Changes"
  run_probe changes-key Esc >/dev/null
  expect "Ctrl+Z on $stop: closed" "$(run_probe changes-gone 3000; run_probe focus)" "changes closed" "focus=$stop"
done
run_probe keys Shift+Tab >/dev/null  # back on About
screenshot keyboard

# ---- Space on OK closes the program, and so does Enter
run_probe keys Shift+Tab >/dev/null
expect "OK focused" "$(run_probe focus)" "focus=OK"
run_probe keys Space >/dev/null
ends "Space on OK"
start_program
run_probe wait-main 30000 >/dev/null
run_probe keys Tab Tab >/dev/null  # from the tabs: the list, then OK
expect "OK focused again" "$(run_probe focus)" "focus=OK"
run_probe keys Enter >/dev/null
ends "Enter on OK"

reset_run_key </dev/null
finish
