#!/usr/bin/env bash
# A crowded and damaged startup folder against the real program: a thousand
# shortcuts, empty and damaged ones, a target of 259 characters and a name
# outside ASCII. All listed, nothing reported, the folder left as it was.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

user=$(run_probe special-folder 7)
user_u=$(winepath -u "$user" 2>/dev/null)
if [ -z "$user" ] || [ ! -d "$user_u" ]; then
  echo "FAIL: the user's startup folder is missing: '$user'"
  exit 1
fi
rm -rf "$user_u"/qm-*

long_target="C:\\$(printf 'd%.0s' $(seq 250))\\x.exe"  # 259 characters
run_probe make-shortcut "$user\\qm-long.lnk" "$long_target" >/dev/null
run_probe make-shortcut "$user\\qm-0000.lnk" 'C:\Tools\many.exe' >/dev/null
for i in $(seq 1 999); do cp "$user_u/qm-0000.lnk" "$user_u/$(printf 'qm-%04d.lnk' "$i")"; done
: > "$user_u/qm-empty.lnk"
head -c 600 /dev/urandom > "$user_u/qm-damaged.lnk"
cp "$user_u/qm-0000.lnk" "$user_u/qm-café.lnk"
before=$(cd "$user_u" && ls -la --time-style=+ qm-* | md5sum)

start_program
run_probe wait-main 60000 >/dev/null
run_probe select-tab 3 >/dev/null
rows=$(run_probe rows 3; run_probe dump; run_probe no-dialog Quellmark 300)
stop_program
expect "crowded folder" "$rows" "list 3 rows=1004" "tab3=Startup (user) - (1004)" \
  "row=qm-0000.lnk|C:\\Tools\\many.exe|Windows AutoRun|$user\\|" \
  "row=qm-0999.lnk|C:\\Tools\\many.exe|Windows AutoRun|$user\\|" \
  "row=qm-empty.lnk||Windows AutoRun|$user\\|" "row=qm-damaged.lnk||Windows AutoRun|$user\\|" \
  "row=qm-long.lnk|$long_target|Windows AutoRun|$user\\|" \
  "row=qm-café.lnk|C:\\Tools\\many.exe|Windows AutoRun|$user\\|"
after=$(cd "$user_u" && ls -la --time-style=+ qm-* | md5sum)
if [ "$before" = "$after" ]; then passed=$((passed + 1)); else echo "FAIL: the folder changed"; failures=$((failures + 1)); fi

rm -rf "$user_u"/qm-*
finish
