#!/usr/bin/env bash
# The two startup-folder tabs in the real program: programs and shortcuts
# placed in the prefix's all-users and current-user startup folders.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

common=$(run_probe special-folder 24)
user=$(run_probe special-folder 7)
common_u=$(winepath -u "$common" 2>/dev/null) user_u=$(winepath -u "$user" 2>/dev/null)
if [ -z "$common" ] || [ -z "$user" ] || [ ! -d "$common_u" ] || [ ! -d "$user_u" ]; then
  echo "FAIL: the startup folders are missing: '$common' '$user'"
  exit 1
fi

# The captions of a list's rows, in the list's order.
captions() { grep '^row=' <<<"$1" | sed 's/^row=//; s/|.*//'; }
# The sorted captions of rows FROM..TO (1-based) of a probe listing.
captions_of() { captions "$1" | sed -n "$2,$3p" | sort | tr '\n' ' '; }

cleanup() {
  rm -rf "$common_u"/qm-* "$user_u"/qm-*
}
cleanup
run_probe make-shortcut "$common\\qm-tool.exe.lnk" 'C:\Tools\t.exe' >/dev/null
run_probe make-shortcut "$common\\qm-hidden.lnk" 'C:\windows\notepad.exe' >/dev/null
wine attrib +h "$common\\qm-hidden.lnk" >/dev/null 2>&1
printf 'MZ' > "$common_u/qm-app.exe"
printf '[.ShellClassInfo]\r\n' > "$common_u/qm-desktop.ini"
wine attrib +h +s "$common\\qm-desktop.ini" >/dev/null 2>&1
mkdir -p "$common_u/qm-folder.lnk"
run_probe make-shortcut "$common\\qm-folder.lnk\\qm-inner.lnk" 'C:\inner.exe' >/dev/null
run_probe make-shortcut "$user\\qm-user.lnk" 'C:\Program Files\Tool\Tool.EXE' >/dev/null
printf 'MZ' > "$user_u/qm-run.exe"
printf 'not a shell link' > "$user_u/qm-damaged.lnk"

start_program
run_probe wait-main 30000 >/dev/null
# Showing the first tab empties both startup lists; showing their tabs reads the folders again.
run_probe select-tab 2 >/dev/null
common_rows=$(run_probe rows 2)
screenshot startup-user-tab
run_probe select-tab 3 >/dev/null
user_rows=$(run_probe rows 3)
out=$(run_probe dump)
stop_program

dir="$common\\"
expect "all-users folder" "$common_rows" \
  "list 2 rows=4" \
  "row=qm-app.exe||Windows AutoRun|$dir|" \
  "row=qm-tool.exe.lnk|C:\\Tools\\t.exe|Windows AutoRun|$dir|" \
  "row=qm-hidden.lnk|C:\\windows\\notepad.exe|Windows AutoRun|$dir|"
# "*.exe*" first, then "*.lnk*": a shortcut named like a program is listed once for each.
expect "all-users order" "exe: $(captions_of "$common_rows" 1 2)
lnk: $(captions_of "$common_rows" 3 4)" \
  "exe: qm-app.exe qm-tool.exe.lnk " "lnk: qm-hidden.lnk qm-tool.exe.lnk "
dir="$user\\"
expect "current-user folder" "$user_rows" \
  "list 3 rows=3" \
  "row=qm-user.lnk|C:\\Program Files\\Tool\\Tool.EXE|Windows AutoRun|$dir|" \
  "row=qm-damaged.lnk||Windows AutoRun|$dir|" \
  "row=qm-run.exe||Windows AutoRun|$dir|"
# Here "*.lnk*" comes first.
expect "current-user order" "lnk: $(captions_of "$user_rows" 1 2)
exe: $(captions_of "$user_rows" 3 3)" \
  "lnk: qm-damaged.lnk qm-user.lnk " "exe: qm-run.exe "
# Each tab is captioned for the folder it lists: all users on the third, the
# current user on the fourth.
expect "captions" "$out" "tab2=Startup (common) - (4)" "tab3=Startup (user) - (3)"
if grep -q 'desktop.ini\|qm-inner\|qm-folder' <<<"$common_rows"; then
  echo "FAIL [no folders, no desktop.ini]: listed anyway"; echo "$common_rows"; failures=$((failures + 1))
fi

# The design captions, left when a value that is not text stops the start-up
# scan at the first tab, name the same folders.
run_key='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
import_reg <<EOF2
[$run_key]
"QmNotText"=dword:00000001
EOF2
start_program
out=$(run_probe dialog Quellmark 30000; run_probe dialog Quellmark 30000; run_probe wait-main 10000; run_probe dump)
expect "design captions" "$out" "dialog=Invalid data type for 'QmNotText'" "tab2=Startup (comon)" "tab3=Startup (User)"
stop_program
import_reg <<EOF2
[$run_key]
"QmNotText"=-
EOF2

cleanup
finish
