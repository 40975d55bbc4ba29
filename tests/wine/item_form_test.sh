#!/usr/bin/env bash
# The Item Properties dialog of the real program: opened from a Run row by a
# double-click and by the popup menu, read from outside (fields, layout,
# focus, tab order), typed into, and closed by every way a user closes it;
# "&Find Target..." opens a folder but never starts a program.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

key_text='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
# The program itself is the target: a real file with a known version resource.
self=$(winepath -w "$exe")
self_reg=${self//\\/\\\\}
reset_run_key <<EOF2
"Alpha"="\\"$self_reg\\" /min"
"Beta"="C:\\\\windows\\\\notepad.exe\\\\x.exe"
"Gamma"="C:\\\\windows\\\\regedit.exe"
EOF2

# The main window and the dialog drawn over it, as a person sees them.
screenshot_with_dialog() {
  [ -n "${DISPLAY:-}" ] && command -v xwd >/dev/null || return 0
  local line id at
  line=$(xwininfo -root -tree 2>/dev/null | grep '"Item Properties"' | head -1)
  id=$(awk '{print $1}' <<<"$line"); at=$(awk '{print $NF}' <<<"$line")
  xwd -root -silent | /usr/bin/convert xwd:- "$artifacts/root.png" 2>/dev/null || return 0
  if [ -n "$id" ] && xwd -id "$id" -silent | /usr/bin/convert xwd:- "$artifacts/dialog.png" 2>/dev/null; then
    /usr/bin/convert "$artifacts/root.png" "$artifacts/dialog.png" -geometry "$at" -composite "$artifacts/$1.png"
  else
    cp "$artifacts/root.png" "$artifacts/$1.png"
  fi
  rm -f "$artifacts/root.png" "$artifacts/dialog.png"
}

start_program
run_probe wait-main 30000 >/dev/null
out=$(run_probe item-form 0)
expect "hidden at start-up" "$out" "item visible=0" "title=<name>" "company=<root>" "description=<key>" "version=<type>"

# ---- A double-click on the Run row of the program itself
run_probe select-row 0 0 >/dev/null
run_probe dblclick 0 0 >/dev/null
out=$(run_probe item-form 5000)
expect "double-click" "$out" \
  "item visible=1" "caption=Item Properties" "client=385x385" "owner=main" "page=Shortcut" "pages=8,8,369,338" \
  "title=Alpha" "command=\"$self\" /min" "name=Alpha" "location=$key_text" \
  "company=Quellmark" "description=Quellmark autostart viewer" "version=1.0.0.1" "program-icon icon=1" "link-icon icon=1" \
  "find-target=&Find Target..." "properties-link=Properties" "ok-button=OK" "cancel-button=&Cancel" \
  "at program-icon=8,8,32,32" "at title=52,16,300,13" "at command=92,68,261,21" "at name=92,96,261,21" \
  "at location=92,124,261,21" "at find-target=264,151,87,25" "at company=92,212,261,13" "at description=92,240,261,13" \
  "at version=92,268,180,13" "at link-icon=282,281,34,33" "at properties-link=307,294,51,13" \
  "at ok-button=221,352,75,25" "at cancel-button=302,352,75,25" \
  "focus=command" "active=item" "tab order=command,name,location,find-target,ok-button,cancel-button" "default=ok-button"
screenshot_with_dialog item-form

# ---- The popup menu's "&Properties" on the other row refills every field, from the
# selected row when the focus is on another
run_probe set-rows 0 1 0 >/dev/null
run_probe menu 0 3 >/dev/null
sleep 0.5
out=$(run_probe item-form 2000)
expect "menu, second request" "$out" "item visible=1" "title=Beta" "name=Beta" \
  "command=C:\\windows\\notepad.exe\\x.exe" "location=$key_text" "company=" "description=" "version="

# ---- A program nobody here wrote: Wine's own Registry Editor and its version resource
run_probe select-row 0 2 >/dev/null
run_probe dblclick 0 2 >/dev/null
sleep 0.5
out=$(run_probe item-form 2000)
expect "a program of the system" "$out" "item visible=1" "title=Gamma" "command=C:\\windows\\regedit.exe" \
  "company=Microsoft Corporation" "description=Wine Registry Editor" "version=5.2.3790.0" "program-icon icon=1"
run_probe select-row 0 1 >/dev/null
run_probe menu 0 3 >/dev/null
sleep 0.5

# ---- "&Find Target..." on c:\windows\notepad.exe\x.exe: the "folder" is a program and must not start
run_probe item-press find-target >/dev/null
out=$(run_probe window-title Notepad 3000)
expect "find target starts no program" "$out" "no window titled Notepad"

# ---- A typed path: the folder of what is in command now opens, in explorer.exe
# whatever the user's own class registrations say: a "Folder" and "Directory"
# open command in HKCU\Software\Classes (which the elevated program sees
# merged into HKEY_CLASSES_ROOT) that would start Notepad is not used.
classes='HKEY_CURRENT_USER\Software\Classes'
own_classes=()
for class in Folder Directory; do
  wine reg query "$classes\$class" >/dev/null 2>&1 || own_classes+=("$class")
done
import_reg <<EOF2
[$classes\Folder\shell\open\command]
@="C:\\\\windows\\\\notepad.exe"
[$classes\Directory\shell\open\command]
@="C:\\\\windows\\\\notepad.exe"
EOF2
run_probe item-set command '"C:\windows\system32\typed.exe" -a' >/dev/null
run_probe item-press find-target >/dev/null
out=$(run_probe window-title system32 10000; run_probe window-title Notepad 3000)
expect "find target opens the typed folder in explorer.exe" "$out" "window=system32" "no window titled Notepad"
run_probe close-class Notepad >/dev/null
for class in "${own_classes[@]}"; do echo "[-$classes\\$class]"; done | import_reg
# The "Properties" link asks the shell without an error box and leaves the dialog as it was.
run_probe item-press properties-link >/dev/null
out=$(run_probe no-dialog Quellmark 1000; run_probe item-form 0)
expect "properties link" "$out" "item visible=1" "command=\"C:\\windows\\system32\\typed.exe\" -a" "title=Beta"

# ---- Every way of closing hides the dialog; the next request shows it again with command focused
shown=Beta
for how in Esc OK Cancel Close Enter; do
  run_probe item-press "$how" >/dev/null
  sleep 0.3
  out=$(run_probe item-form 0)
  expect "closed by $how" "$out" "item visible=0" "title=$shown"  # hidden, not emptied
  shown=Alpha
  run_probe select-row 0 0 >/dev/null
  run_probe menu 0 3 >/dev/null
  out=$(run_probe item-form 3000)
  expect "shown after $how" "$out" "item visible=1" "title=Alpha" "focus=command"
done
stop_program
reset_run_key </dev/null

finish
