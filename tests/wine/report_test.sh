#!/usr/bin/env bash
# quellmark-report.exe against the real program in the same prefix: its
# entries are exactly the rows the window lists, tab by tab (read through
# the probe); the CSV and the JSON parse with Python's csv and json readers
# and agree, a CSV field a spreadsheet would run as a formula written as text
# (as it is with --csv-raw), a control character in a name as stored when
# the CSV goes to a pipe; --output replaces a file whole or leaves it alone; --compare
# after one value was added and another deleted names both and exits 1; a
# key that refuses reading is an entry with its error, exit 2, everything
# else reported; a REG_DWORD value is an entry naming its type; a startup
# shortcut is read (COM begun on first use); whether
# each target exists is right for many targets in one folder, where the
# folder's listing answers for the missing ones; an argument's unpaired
# surrogate is U+FFFD where a message repeats it.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

report="$(dirname "$exe")/quellmark-report.exe"
regtool() { wine "$build/qm_regtool.exe" "$@" 2>/dev/null | tr -d '\r'; }
# Runs the report with its arguments; its standard output goes to $1, the
# exit code is echoed.
run_report() {
  local out=$1; shift
  timeout 120 wine "$report" "$@" >"$out" 2>"$out.err"
  echo $?
}
check() {  # check NAME CONDITION-OUTPUT: passes when the output is "ok"
  if [ "$2" = ok ]; then passed=$((passed + 1)); else echo "FAIL [$1]: $2"; failures=$((failures + 1)); fi
}

run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
lmonce_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\RunOnce'
windows_key='HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows'
user=$(run_probe special-folder 7)
user_u=$(winepath -u "$user" 2>/dev/null)
if [ -z "$user" ] || [ ! -d "$user_u" ]; then echo "FAIL: no startup folder"; exit 1; fi
work="$artifacts/report"
rm -rf "$work"
mkdir -p "$work"
work_w=$(winepath -w "$work")

tasks=$WINEPREFIX/drive_c/windows/system32/tasks
exists_dir=$WINEPREFIX/drive_c/qm-exists
hook_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Windows'
cleanup() {
  regtool undeny "$run" >/dev/null
  reset_run_key <<EOF2
[$lmonce_key]
"QmMachine"=-
[$windows_key]
"load"=-
EOF2
  rm -f "$user_u"/qm-report*
  rm -rf "$tasks/QmReport" "$exists_dir"
  wine reg delete "$hook_key" /v AppInit_DLLs /f >/dev/null 2>&1
}
cleanup
reset_run_key <<EOF2
"QmPlain"="C:\\\\windows\\\\system32\\\\notepad.exe"
"Quote \\"me\\", please"="\\"C:\\\\qm\\\\a b.exe\\" /x,\\"y\\""
"QmCounter"=dword:00000007
"=Qm Formula"="@C:\\\\qm\\\\formula.exe"
"QmGone"="C:\\\\qm\\\\gone.exe"
[$lmonce_key]
"QmMachine"="C:\\\\qm\\\\machine.exe"
[$windows_key]
"load"="C:\\\\qm\\\\load.exe"
EOF2
printf '@echo off\r\n' > "$user_u/qm-report.bat"
# A shortcut: reading it is the report's first use of COM.
run_probe make-shortcut "$user\\qm-report-tool.lnk" 'C:\windows\system32\notepad.exe' >/dev/null
# Entries of the tabs beyond the Run keys: two DLLs of one list value and a
# task in a task folder.
wine reg add "$hook_key" /v AppInit_DLLs /t REG_SZ /d 'C:\qm\one.dll C:\qm\two.dll' /f >/dev/null 2>&1
mkdir -p "$tasks/QmReport"
printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task"><Triggers><LogonTrigger/></Triggers><Actions Context="Author"><Exec><Command>C:\\qm\\nightly.exe</Command></Exec></Actions></Task>\r\n' |
  iconv -f UTF-8 -t UTF-16 > "$tasks/QmReport/Nightly"
# A name and a command no code page holds, set through a file so that no
# locale stands between them and the probe.
unicode_name='Qm-Жук-中😀' unicode_command='C:\Прог\жук😀.exe /х'
printf '%s\n' set-value "$run_key" "$unicode_name" "$unicode_command" >"$work/probe-args.txt"
run_probe args-from "$(winepath -w "$work/probe-args.txt")" >/dev/null

# ---- The window's rows, tab by tab
start_program
run_probe wait-main 30000 >/dev/null
window_rows "$work"
stop_program

# ---- The report: JSON and CSV, standard output and a file
code=$(run_report "$work/report.json")
check "JSON report exits 0" "$([ "$code" = 0 ] && echo ok || echo "exit $code: $(cat "$work/report.json.err")")"
code=$(run_report "$work/report.csv" --format csv)
check "CSV report exits 0" "$([ "$code" = 0 ] && echo ok || echo "exit $code")"
code=$(run_report "$work/stdout.txt" --format csv --output "$work_w\\out.csv")
check "--output writes the file, nothing on standard output" \
  "$([ "$code" = 0 ] && [ ! -s "$work/stdout.txt" ] && cmp -s "$work/out.csv" "$work/report.csv" && echo ok ||
     echo "exit $code, $(wc -c <"$work/stdout.txt") bytes on standard output, files differ: $(cmp "$work/out.csv" "$work/report.csv")")"

cat >"$work/checks.py" <<'EOF'
by_name = {(e["category"], e["name"]): e for e in entries}
def entry(category, name):
    e = by_name.get((category, name))
    if e is None: problems.append(f"no entry {category} {name}")
    return e or {}
quoted = entry("hkcu-run", 'Quote "me", please')
if quoted.get("command") != '"C:\\qm\\a b.exe" /x,"y"': problems.append(f"quoted command {quoted.get('command')!r}")
counter = entry("hkcu-run", "QmCounter")
if counter.get("command") != "(REG_DWORD, 4 bytes)" or counter.get("target") != "":
    problems.append(f"REG_DWORD entry {counter}")
plain = entry("hkcu-run", "QmPlain")
if plain.get("location") != {"type": "registry", "root": "HKEY_CURRENT_USER", "view": "default",
                             "key": "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "component": "",
                             "value": "QmPlain", "item": ""}: problems.append(f"typed location {plain.get('location')}")
if plain.get("target") != "c:\\windows\\system32\\notepad.exe" or plain.get("target_exists") is not True:
    problems.append(f"notepad target {plain.get('target')} {plain.get('target_exists')}")
if entry("hkcu-run", "QmGone").get("target_exists") is not False: problems.append("a missing target said to exist")
bat = entry("startup-user", "qm-report.bat")
if bat.get("location", {}).get("type") != "file" or bat["location"].get("file") != "qm-report.bat":
    problems.append(f"startup file {bat}")
tool = entry("startup-user", "qm-report-tool.lnk")
if "notepad.exe" not in tool.get("command", "").lower() or tool.get("target_exists") is not True:
    problems.append(f"a startup shortcut {tool}")
if entry("winlogon", "Userinit").get("mark") != "No Autorun Entry": problems.append("Userinit mark")
two = entry("system-hooks", "C:\\qm\\two.dll").get("location", {})
if two.get("value") != "AppInit_DLLs" or two.get("item") != "C:\\qm\\two.dll" or two.get("root") != "HKEY_LOCAL_MACHINE":
    problems.append(f"an AppInit DLL's location {two}")
if entry("system-hooks", "C:\\qm\\one.dll").get("location", {}).get("item") != "C:\\qm\\one.dll":
    problems.append("the other AppInit DLL")
nightly = entry("tasks", "\\QmReport\\Nightly")
if nightly.get("location", {}).get("task") != "\\QmReport\\Nightly" or "C:\\qm\\nightly.exe" not in nightly.get("command", ""):
    problems.append(f"a task {nightly}")
if any(e["error"] for e in entries): problems.append("an error in a report of readable keys")
named = entry("hkcu-run", "Qm-Жук-中😀")
if named.get("command") != "C:\\Прог\\жук😀.exe /х" or named.get("location", {}).get("value") != "Qm-Жук-中😀":
    problems.append(f"a name no code page holds: {named}")
EOF
python3 "$(dirname "${BASH_SOURCE[0]}")/report_rows.py" "$work" "$work/checks.py" >"$work/python.txt" 2>&1
check "report = window rows; CSV and JSON parse and agree" "$(cat "$work/python.txt")"
# A name and a command a spreadsheet would run as formulas: text in the CSV
# (the check above holds every field to that), as they are with --csv-raw.
code=$(run_report "$work/raw.csv" --format csv --csv-raw)
check "--csv-raw writes a formula as it is" "$([ "$code" = 0 ] && python3 -c '
import csv, sys
def rows(path): return {r["name"]: r for r in csv.DictReader(open(path, newline="", encoding="utf-8"))}
raw, text = rows(sys.argv[1]), rows(sys.argv[2])
assert raw["=Qm Formula"]["command"] == "@C:\\qm\\formula.exe", raw.get("=Qm Formula")
assert raw["=Qm Formula"]["value"] == "=Qm Formula", raw["=Qm Formula"]
assert text["'"'"'=Qm Formula"]["command"] == "'"'"'@C:\\qm\\formula.exe", text.get("'"'"'=Qm Formula")
print("ok")' "$work/raw.csv" "$work/report.csv" 2>&1 | tail -1 || echo "exit $code")"

# ---- --output leaves an old file alone when the new one cannot replace it:
# another program holds it open, shared with no one
printf 'old' >"$work/locked.json"
wine "$probe" hold-file "$work_w\\locked.json" qm-report-hold >"$work/hold.txt" 2>/dev/null &
holder=$!
for _ in $(seq 100); do grep -q 'file=' "$work/hold.txt" 2>/dev/null && break; sleep 0.1; done
code=$(run_report "$work/locked.out" --output "$work_w\\locked.json")
run_probe release qm-report-hold >/dev/null
wait "$holder" 2>/dev/null
leftovers=$(ls "$work" | grep -c '\.tmp$')
check "an output that cannot be replaced" \
  "$([ "$code" = 74 ] && [ "$(cat "$work/locked.json")" = old ] && [ "$leftovers" = 0 ] &&
     grep -q 'cannot write' "$work/locked.out.err" && echo ok ||
     echo "exit $code, file: $(head -c 100 "$work/locked.json"), $leftovers temporary files, $(cat "$work/hold.txt" "$work/locked.out.err")")"
code=$(run_report "$work/nofolder.out" --output "$work_w\\missing\\r.json")
check "an output into a folder that is not there" \
  "$([ "$code" = 74 ] && [ ! -e "$work/missing" ] && grep -q 'cannot write .*r.json: cannot create a temporary file' \
     "$work/nofolder.out.err" && echo ok || echo "exit $code: $(cat "$work/nofolder.out.err")")"
code=$(run_report "$work/usage.out" --format xml)
check "bad usage exits 64" \
  "$([ "$code" = 64 ] && grep -q 'unknown format xml' "$work/usage.out.err" && echo ok || echo "exit $code")"

# ---- An argument with an unpaired UTF-16 surrogate (another program can
# start the report with one): the message that repeats it has U+FFFD in its
# place, as the system's own conversion writes it, so that standard error
# stays UTF-8; a surrogate pair is its one character.
fffd=$'\xef\xbf\xbd'
units_cases=(
  'x\uD800y' "x${fffd}y"                # a high surrogate alone
  'x\uDC00y' "x${fffd}y"                # a low one alone
  '\uD800\uD800' "${fffd}${fffd}"        # two high ones
  '\uDE00\uD83D' "${fffd}${fffd}"        # a pair the wrong way round
  'x\uD83D\uDE00' $'x\xf0\x9f\x98\x80'  # a pair
)
report_w=$(winepath -w "$report")
for ((i = 0; i < ${#units_cases[@]}; i += 2)); do
  code=$(timeout 60 wine "$probe" spawn-units "$report_w" --format "${units_cases[i]}" \
    >"$work/units.out" 2>"$work/units.err"; echo $?)
  want="quellmark-report: unknown format ${units_cases[i + 1]} (csv or json)"
  check "an argument ${units_cases[i]}" \
    "$([ "$code" = 64 ] && [ ! -s "$work/units.out" ] && [ "$(head -n 1 "$work/units.err")" = "$want" ] && echo ok ||
       echo "exit $code, standard error: $(head -n 1 "$work/units.err" | od -An -c | tr -s ' ' | head -c 300)")"
done

# ---- --compare: one value added, another deleted
run_report "$work/base.out" --output "$work_w\\base.json" >/dev/null
code=$(run_report "$work/same.txt" --compare "$work_w\\base.json")
check "--compare against itself" \
  "$([ "$code" = 0 ] && grep -qx 'no differences' "$work/same.txt" && echo ok || echo "exit $code: $(cat "$work/same.txt")")"
reset_run_key <<EOF2
"QmPlain"="C:\\\\windows\\\\system32\\\\notepad.exe"
"Quote \\"me\\", please"="\\"C:\\\\qm\\\\a b.exe\\" /x,\\"y\\""
"QmCounter"=dword:00000007
"=Qm Formula"="@C:\\\\qm\\\\formula.exe"
"QmNew"="C:\\\\qm\\\\new.exe"
EOF2
run_probe args-from "$(winepath -w "$work/probe-args.txt")" >/dev/null
code=$(run_report "$work/compare.txt" --compare "$work_w\\base.json")
out=$(tr -d '\r' <"$work/compare.txt")
expect "--compare names both" "$out" \
  'added [hkcu-run] "QmNew" "C:\qm\new.exe" at HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run "QmNew"' \
  'removed [hkcu-run] "QmGone" "C:\qm\gone.exe" at HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run "QmGone"' \
  '2 differences: 1 added, 1 removed, 0 changed'
check "--compare exits 1" "$([ "$code" = 1 ] && echo ok || echo "exit $code")"
code=$(run_report "$work/compare.json" --compare "$work_w\\base.json" --format json)
check "--compare as JSON" "$([ "$code" = 1 ] && python3 -c '
import json, sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
assert [e["name"] for e in d["added"]] == ["QmNew"], d["added"]
assert [e["name"] for e in d["removed"]] == ["QmGone"], d["removed"]
assert d["changed"] == [], d["changed"]
print("ok")' "$work/compare.json" 2>&1 | tail -1 || echo "exit $code")"

# ---- A name with a control character and a right-to-left override: CSV to
# a file or a pipe holds it as stored (only a console gets it written as
# the comparison's text writes it)
printf '%s\n' set-value "$run_key" $'Qm\e[2JEsc\xe2\x80\xae' 'C:\qm\esc.exe' >"$work/probe-control.txt"
run_probe args-from "$(winepath -w "$work/probe-control.txt")" >/dev/null
code=$(run_report "$work/control.csv" --format csv)
check "CSV to a pipe holds a control character as stored" "$([ "$code" = 0 ] &&
  grep -qF $',Qm\e[2JEsc\xe2\x80\xae,C:\\qm\\esc.exe,' "$work/control.csv" && echo ok ||
  echo "exit $code: $(grep -a 'Esc' "$work/control.csv" | od -c | head -5)")"

# ---- A key that refuses reading: exit 2, an entry with its error, the rest reported
regtool deny "$run" 1 || echo "FAIL: RegSetKeySecurity"
code=$(run_report "$work/refused.json")
regtool undeny "$run" >/dev/null
check "a refused key is exit 2" "$([ "$code" = 2 ] && grep -q 'could not be read' "$work/refused.json.err" && echo ok ||
  echo "exit $code")"
check "a refused key is an entry, the rest is reported" "$(python3 -c '
import json, sys
entries = json.load(open(sys.argv[1], encoding="utf-8"))["entries"]
errors = [e for e in entries if e["error"]]
assert len(errors) == 1, errors
e = errors[0]
assert e["category"] == "hkcu-run" and e["error"] == "access denied", e
assert e["location"]["key"] == "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", e
names = {(e["category"], e["name"]) for e in entries}
for want in [("hklm-runonce", "QmMachine"), ("startup-user", "qm-report.bat"), ("load-run", "Load")]:
    assert want in names, want
assert not any(e["category"] == "hkcu-run" and e["name"] == "QmPlain" for e in entries)
print("ok")' "$work/refused.json" 2>&1 | tail -1)"

# ---- Whether targets exist, for twenty-eight in one folder: past the first
# visits the folders on the way are listed and the missing ones are told
# from the listing. Files there in other letter case, missing files, a
# missing sub-folder, a file named as a folder.
mkdir -p "$exists_dir/Sub"
: >"$exists_dir/Tool.EXE"
: >"$exists_dir/other.exe"
: >"$exists_dir/Sub/Inner.Exe"
{
  for i in $(seq -w 1 20); do printf '"QmA%s"="C:\\\\qm-exists\\\\gone%s.exe"\n' "$i" "$i"; done
  cat <<'EOF2'
"QmB1"="C:\\qm-exists\\tool.exe"
"QmB2"="\"C:\\QM-EXISTS\\OTHER.EXE\" /x"
"QmB3"="C:\\qm-exists\\gone.exe"
"QmB4"="C:\\qm-exists\\NoSuchFolder\\x.exe"
"QmB5"="C:\\Qm-Exists\\sub\\inner.exe"
"QmB6"="C:\\qm-exists\\Tool.exe\\x.exe"
"QmB7"="C:\\qm-exists\\sub\\gone.exe"
"QmB8"="C:\\QM-EXISTS\\SUB\\INNER.EXE /q"
EOF2
} | reset_run_key
code=$(run_report "$work/exists.json")
check "targets that exist and that do not, many in one folder" "$([ "$code" = 0 ] && python3 -c '
import json, sys
entries = json.load(open(sys.argv[1], encoding="utf-8"))["entries"]
seen = {e["name"]: e["target_exists"] for e in entries if e["category"] == "hkcu-run"}
want = {f"QmA{i:02d}": False for i in range(1, 21)}
want.update({"QmB1": True, "QmB2": True, "QmB3": False, "QmB4": False, "QmB5": True, "QmB6": False,
             "QmB7": False, "QmB8": True})
wrong = {name: seen.get(name) for name in want if seen.get(name) != want[name]}
assert not wrong, f"wrong answers {wrong}"
print("ok")' "$work/exists.json" 2>&1 | tail -1 || echo "exit $code: $(cat "$work/exists.json.err")")"

cleanup
finish
