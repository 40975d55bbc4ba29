#!/usr/bin/env bash
# The two startup-folder tabs in the real program: programs, shortcuts and
# scripts placed in the prefix's all-users and current-user startup folders.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

common=$(run_probe special-folder 24)
user=$(run_probe special-folder 7)
common_u=$(winepath -u "$common" 2>/dev/null) user_u=$(winepath -u "$user" 2>/dev/null)
if [ -z "$common" ] || [ -z "$user" ] || [ ! -d "$common_u" ] || [ ! -d "$user_u" ]; then
  echo "FAIL: the startup folders are missing: '$common' '$user'"
  exit 1
fi

cleanup() {
  rm -rf "$common_u"/qm-* "$user_u"/qm-* "$common_u/desktop.ini"
}
cleanup
run_probe make-shortcut "$common\\qm-tool.exe.lnk" 'C:\Tools\t.exe' >/dev/null
run_probe make-shortcut "$common\\qm-hidden.lnk" 'C:\windows\notepad.exe' >/dev/null
wine attrib +h "$common\\qm-hidden.lnk" >/dev/null 2>&1
printf 'MZ' > "$common_u/qm-app.exe"
printf '[.ShellClassInfo]\r\n' > "$common_u/desktop.ini"
wine attrib +h +s "$common\\desktop.ini" >/dev/null 2>&1
mkdir -p "$common_u/qm-folder.lnk"
run_probe make-shortcut "$common\\qm-folder.lnk\\qm-inner.lnk" 'C:\inner.exe' >/dev/null
run_probe make-shortcut "$user\\qm-user.lnk" 'C:\Program Files\Tool\Tool.EXE' >/dev/null
printf 'MZ' > "$user_u/qm-run.exe"
printf 'not a shell link' > "$user_u/qm-damaged.lnk"
printf 'WScript.Echo 1\r\n' > "$user_u/qm-evil.vbs"
printf '@echo off\r\n' > "$user_u/qm-evil.bat"

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
  "list 2 rows=3" \
  "row=qm-app.exe|${dir}qm-app.exe|Windows AutoRun|$dir|" \
  "row=qm-tool.exe.lnk|C:\\Tools\\t.exe|Windows AutoRun|$dir|" \
  "row=qm-hidden.lnk|C:\\windows\\notepad.exe|Windows AutoRun|$dir|"
dir="$user\\"
# Every file, scripts and batch files too: a shortcut shows its target, any
# other file itself.
expect "current-user folder" "$user_rows" \
  "list 3 rows=5" \
  "row=qm-user.lnk|C:\\Program Files\\Tool\\Tool.EXE|Windows AutoRun|$dir|" \
  "row=qm-damaged.lnk||Windows AutoRun|$dir|" \
  "row=qm-run.exe|${dir}qm-run.exe|Windows AutoRun|$dir|" \
  "row=qm-evil.vbs|${dir}qm-evil.vbs|Windows AutoRun|$dir|" \
  "row=qm-evil.bat|${dir}qm-evil.bat|Windows AutoRun|$dir|"
# Each tab is captioned for the folder it lists: all users on the third, the
# current user on the fourth.
expect "captions" "$out" "tab2=Startup (common) - (3)" "tab3=Startup (user) - (5)"
if grep -q 'desktop.ini\|qm-inner\|qm-folder' <<<"$common_rows"; then
  echo "FAIL [no folders, no desktop.ini]: listed anyway"; echo "$common_rows"; failures=$((failures + 1))
fi

# A value that is not text before the folders in the start-up scan is a row
# of its own; the scan goes on and the folder tabs get their counts.
import_reg <<EOF2
[$run_key]
"QmNotText"=dword:00000001
EOF2
start_program
out=$(run_probe wait-main 10000; run_probe dump; run_probe no-dialog Quellmark 300)
expect "not text before the folders" "$out" "row=QmNotText|(REG_DWORD, 4 bytes)$loc" \
  "tab2=Startup (common) - (3)" "tab3=Startup (user) - (5)"
stop_program
import_reg <<EOF2
[$run_key]
"QmNotText"=-
EOF2

cleanup
finish
