#!/usr/bin/env bash
# The real program deletes a startup file only while its row's name still
# leads to the file and folder it listed. Another program of the user swaps
# the user's Startup folder for a link to "C:\Program Files\Victim" while the
# confirmation is open, or names a file there with fullwidth backslashes and
# ".."; victim.exe stays either way and an error box says why. A Startup
# folder that is a link when the list is read is one row naming where it
# leads. (Wine has no junctions; a directory symbolic link stands for one.)
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

user=$(run_probe special-folder 7)
user_u=$(winepath -u "$user" 2>/dev/null)
if [ -z "$user" ] || [ ! -d "$user_u" ]; then echo "FAIL: no startup folder"; exit 1; fi
victim='C:\Program Files\Victim'
victim_u="$WINEPREFIX/drive_c/Program Files/Victim"
fw=$'\xef\xbc\xbc'  # U+FF3C FULLWIDTH REVERSE SOLIDUS
climb="qm${fw}..${fw}..${fw}..${fw}..${fw}..${fw}..${fw}..${fw}..${fw}..${fw}Program Files${fw}Victim${fw}victim.exe"

restore_folder() {
  if [ -L "$user_u" ]; then rm -f "$user_u"; fi
  if [ -d "$user_u.qm-old" ]; then rm -rf "$user_u"; mv "$user_u.qm-old" "$user_u"; fi
}
cleanup() {
  restore_folder
  rm -rf "$victim_u"
  rm -f "$user_u/victim.exe" "$user_u/$climb"
}
trap restore_folder EXIT
cleanup
# Each part starts with victim.exe in its folder.
put_victim() { mkdir -p "$victim_u" && printf 'MZ' > "$victim_u/victim.exe"; }
put_victim
printf 'MZ' > "$user_u/victim.exe"

row_of() { run_probe rows "$1" | grep '^row=' | sed 's/^row=//; s/|.*//' | grep -nxF -- "$2" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
# Chooses "&Delete Items..." on the row NAME of the user's list and waits for
# the confirmation without answering it.
ask_delete() {
  local row
  row=$(row_of 3 "$1")
  [ -n "$row" ] || { echo "no row $1"; run_probe rows 3; return; }
  run_probe set-rows 3 "$row" "$row" >/dev/null
  run_probe menu 3 0 >/dev/null
  run_probe dialog Confirm 10000 "(none)"
}
victim_state() { [ -f "$victim_u/victim.exe" ] && echo "victim.exe in place" || echo "victim.exe deleted"; }

start_program
run_probe wait-main 30000 >/dev/null
run_probe select-tab 3 >/dev/null

# 1. The folder is swapped for a link while the question is open.
out=$(ask_delete victim.exe
      mv "$user_u" "$user_u.qm-old" && ln -s "$victim_u" "$user_u"
      run_probe dialog Confirm 10000 "&Yes" >/dev/null
      run_probe dialog Error 10000
      victim_state
      [ -f "$user_u.qm-old/victim.exe" ] && echo "listed file in place")
expect "folder swapped for a link while asked" "$out" \
  "dialog=Are you sure want to delete autorun \"victim.exe\" ?" \
  "dialog=\"victim.exe\" was not deleted: the folder ${user} is no longer the folder that was listed (it was moved, replaced or made a link)." \
  "victim.exe in place" "listed file in place"
restore_folder

# 2. A name that climbs out of the folder through fullwidth backslashes:
# listed as it is, and refused for its "..".
put_victim
printf 'MZ' > "$user_u/$climb"
run_probe select-tab 0 >/dev/null
run_probe select-tab 3 >/dev/null
out=$(ask_delete "$climb"
      run_probe dialog Confirm 10000 "&Yes" >/dev/null
      run_probe dialog Error 10000
      victim_state
      [ -f "$user_u/$climb" ] && echo "listed file in place")
expect "name with fullwidth backslashes and .." "$out" \
  "dialog=Are you sure want to delete autorun \"$climb\" ?" \
  "dialog=\"$climb\" was not deleted: its name is not a plain file name." \
  "victim.exe in place" "listed file in place"
rm -f "$user_u/$climb"

# 3. The folder is a link when the list is read: one row says where it leads,
# and that row deletes nothing.
put_victim
mv "$user_u" "$user_u.qm-old" && ln -s "$victim_u" "$user_u"
run_probe select-tab 0 >/dev/null
run_probe select-tab 3 >/dev/null
out=$(run_probe rows 3; run_probe dump | grep '^tab3=')
expect "folder that is a link" "$out" "list 3 rows=1" \
  "row=Folder is a link to $victim|$victim|Windows AutoRun|$user\\|" "tab3=Startup (user) - (1)"
run_probe set-rows 3 0 0 >/dev/null
run_probe menu 3 0 >/dev/null
out=$(run_probe no-dialog "" 2000 && echo "no question"; victim_state)
expect "the link's row deletes nothing" "$out" "no question" "victim.exe in place"
restore_folder

screenshot changed-startup
stop_program
cleanup
finish
