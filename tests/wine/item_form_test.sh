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
expect "hidden at start-up" "$out" "item visible=0" "Label1=<name>" "Label6=<root>" "Label8=<key>" "Label10=<type>"

# ---- A double-click on the Run row of the program itself
run_probe select-row 0 0 >/dev/null
run_probe dblclick 0 0 >/dev/null
out=$(run_probe item-form 5000)
expect "double-click" "$out" \
  "item visible=1" "caption=Item Properties" "client=385x385" "owner=main" "page=Shortcut" "pages=8,8,369,338" \
  "Label1=Alpha" "Edit1=\"$self\" /min" "Edit2=Alpha" "Edit3=$key_text" \
  "Label6=Quellmark" "Label8=Quellmark autostart viewer" "Label10=1.0.0.1" "Image1 icon=1" "Image2 icon=1" \
  "BitBtn1=&Find Target..." "SpeedButton1=Properties" "Button1=OK" "Button2=&Cancel" \
  "at Image1=8,8,32,32" "at Label1=52,16,300,13" "at Edit1=92,68,261,21" "at Edit2=92,96,261,21" \
  "at Edit3=92,124,261,21" "at BitBtn1=264,151,87,25" "at Label6=92,212,261,13" "at Label8=92,240,261,13" \
  "at Label10=92,268,180,13" "at Image2=282,281,34,33" "at SpeedButton1=307,294,51,13" \
  "at Button1=221,352,75,25" "at Button2=302,352,75,25" \
  "focus=Edit1" "active=item" "tab order=Edit1,Edit2,Edit3,BitBtn1,Button1,Button2" "default=Button1"
screenshot_with_dialog item-form

# ---- The popup menu's "&Properties" on the other row refills every field, from the
# selected row when the focus is on another
run_probe set-rows 0 1 0 >/dev/null
run_probe menu 0 3 >/dev/null
sleep 0.5
out=$(run_probe item-form 2000)
expect "menu, second request" "$out" "item visible=1" "Label1=Beta" "Edit2=Beta" \
  "Edit1=C:\\windows\\notepad.exe\\x.exe" "Edit3=$key_text" "Label6=" "Label8=" "Label10="

# ---- A program nobody here wrote: Wine's own Registry Editor and its version resource
run_probe select-row 0 2 >/dev/null
run_probe dblclick 0 2 >/dev/null
sleep 0.5
out=$(run_probe item-form 2000)
expect "a program of the system" "$out" "item visible=1" "Label1=Gamma" "Edit1=C:\\windows\\regedit.exe" \
  "Label6=Microsoft Corporation" "Label8=Wine Registry Editor" "Label10=5.2.3790.0" "Image1 icon=1"
run_probe select-row 0 1 >/dev/null
run_probe menu 0 3 >/dev/null
sleep 0.5

# ---- "&Find Target..." on c:\windows\notepad.exe\x.exe: the "folder" is a program and must not start
run_probe item-press BitBtn1 >/dev/null
out=$(run_probe window-title Notepad 3000)
expect "find target starts no program" "$out" "no window titled Notepad"

# ---- A typed path: the folder of what is in Edit1 now opens, in explorer.exe
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
run_probe item-set Edit1 '"C:\windows\system32\typed.exe" -a' >/dev/null
run_probe item-press BitBtn1 >/dev/null
out=$(run_probe window-title system32 10000; run_probe window-title Notepad 3000)
expect "find target opens the typed folder in explorer.exe" "$out" "window=system32" "no window titled Notepad"
run_probe close-class Notepad >/dev/null
for class in "${own_classes[@]}"; do echo "[-$classes\\$class]"; done | import_reg
# The "Properties" link asks the shell without an error box and leaves the dialog as it was.
run_probe item-press SpeedButton1 >/dev/null
out=$(run_probe no-dialog Quellmark 1000; run_probe item-form 0)
expect "properties link" "$out" "item visible=1" "Edit1=\"C:\\windows\\system32\\typed.exe\" -a" "Label1=Beta"

# ---- Every way of closing hides the dialog; the next request shows it again with Edit1 focused
shown=Beta
for how in Esc OK Cancel Close Enter; do
  run_probe item-press "$how" >/dev/null
  sleep 0.3
  out=$(run_probe item-form 0)
  expect "closed by $how" "$out" "item visible=0" "Label1=$shown"  # hidden, not emptied
  shown=Alpha
  run_probe select-row 0 0 >/dev/null
  run_probe menu 0 3 >/dev/null
  out=$(run_probe item-form 3000)
  expect "shown after $how" "$out" "item visible=1" "Label1=Alpha" "focus=Edit1"
done
stop_program
reset_run_key </dev/null

finish
