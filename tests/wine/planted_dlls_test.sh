#!/usr/bin/env bash
# DLLs planted beside the real program and in its current folder under the
# names of the system DLLs it uses that are no known DLLs (version,
# comctl32, xmllite, which reads the scheduled tasks), with Wine told to
# prefer such native copies, as Windows prefers
# a copy beside the program for any DLL outside its KnownDLLs list: none is
# loaded (each would leave a marker file), and the program still shows the
# version information of its targets and of itself, with the common
# controls of version 6 that its manifest asks for. Wine has
# SetDefaultDllDirectories, so both programs keep the search to System32
# and start as usual, without the refusal they give where it is missing.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

rc="$(dirname "${BASH_SOURCE[0]}")/../../res/quellmark.rc"
build_text=$(sed -n 's/^FILEVERSION \([0-9]*\),\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1.\2.\3.\4/p' "$rc")
product=$(sed -n 's/.*VALUE "ProductVersion", "\([^"]*\)".*/\1/p' "$rc")
description=$(sed -n 's/.*VALUE "FileDescription", "\([^"]*\)".*/\1/p' "$rc")
file_version=$(sed -n 's/.*VALUE "FileVersion", "\([^"]*\)".*/\1/p' "$rc")

planted_dll="$build/qm_planted.dll"
base="$artifacts/planted"
app="$base/app" cwd="$base/cwd"
rm -rf "$base"
mkdir -p "$app" "$cwd"
cp "$exe" "$app/quellmark.exe"
for dll in version comctl32 xmllite; do
  cp "$planted_dll" "$app/$dll.dll"
  cp "$planted_dll" "$cwd/$dll.dll"
done
app_win=$(winepath -w "$app") cwd_win=$(winepath -w "$cwd")
self="$app_win\\quellmark.exe"
self_reg=${self//\\/\\\\}

# A task, so that the start-up scan reads an XML file.
task="$WINEPREFIX/drive_c/windows/system32/tasks/Qm Planted"
mkdir -p "$(dirname "$task")"
printf '<Task><Actions><Exec><Command>C:\\windows\\notepad.exe</Command></Exec></Actions></Task>' > "$task"

reset_run_key <<EOF2
"Alpha"="\\"$self_reg\\" /min"
"Gamma"="C:\\\\windows\\\\regedit.exe"
EOF2

# Started from the folder that holds the other planted copies.
( cd "$cwd" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;version=n,b;comctl32=n,b;xmllite=n,b" exec wine "$app/quellmark.exe" ) \
  >/dev/null 2>&1 &
program_pid=$!
run_probe wait-main 30000 >/dev/null
if run_probe no-dialog Quellmark 1000; then passed=$((passed + 1)); else
  echo "FAIL [the program starts without a refusal]"; failures=$((failures + 1))
fi
tasks_tab=$(run_probe dump | sed -n 's/^tab\([0-9]*\)=Scheduled Tasks.*/\1/p')
# The task is read through System32's XmlLite.
expect "the task read" "$(run_probe rows "$tasks_tab")" \
  'row=\Qm Planted|C:\windows\notepad.exe||yes|C:\windows\notepad.exe|C:\windows\System32\Tasks\Qm Planted'

# Item Properties of both rows: the version strings come through System32's version.dll.
run_probe select-row 0 0 >/dev/null
run_probe dblclick 0 0 >/dev/null
expect "item properties of the program itself" "$(run_probe item-form 5000)" "item visible=1" "title=Alpha" \
  "company=Quellmark" "description=$description" "version=$file_version"
run_probe select-row 0 1 >/dev/null
run_probe dblclick 0 1 >/dev/null
sleep 0.5
expect "item properties of a system program" "$(run_probe item-form 2000)" "title=Gamma" \
  "company=Microsoft Corporation" "description=Wine Registry Editor" "version=5.2.3790.0"
run_probe item-press OK >/dev/null
# The About dialog reads the program's own resource the same way.
run_probe about-press >/dev/null
expect "about dialog" "$(run_probe about 10000)" "label at 80,29=Version $product (Build $build_text)"
run_probe about-key Esc >/dev/null
run_probe about-gone 5000 >/dev/null

modules=$(run_probe modules)
check() {  # check NAME CONDITION-RESULT(0 ok)
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAIL [$1]"; echo "$modules"; fi
}
# Nothing from the program's folder but the program, nothing from the current folder.
grep -iF "module=$app_win\\" <<<"$modules" | grep -viF "module=$self" | grep -q .
check "no module from the program's folder but the program" $((1 - $?))
grep -iqF "module=$cwd_win\\" <<<"$modules"
check "no module from the current folder" $((1 - $?))
grep -iqxF 'module=C:\windows\system32\version.dll' <<<"$modules"
check "version.dll from System32" $?
grep -iqxF 'module=C:\windows\system32\xmllite.dll' <<<"$modules"
check "xmllite.dll from System32" $?
# comctl32 comes in version 6, through the manifest's activation context.
grep -iqE '^module=C:\\windows\\winsxs\\'"$program_arch"'_microsoft\.windows\.common-controls_[^\\]*_6\.[^\\]*\\comctl32\.dll$' <<<"$modules"
check "comctl32 version 6 from the side-by-side store" $?
grep -iqxF 'module=C:\windows\system32\comctl32.dll' <<<"$modules"
check "no comctl32 version 5" $((1 - $?))
stop_program

# The report program beside it, started the same way: the same details
# through System32's version.dll, its own version from its own resource.
report_rc="$(dirname "${BASH_SOURCE[0]}")/../../res/quellmark_report.rc"
report_build=$(sed -n 's/^FILEVERSION \([0-9]*\),\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1.\2.\3.\4/p' "$report_rc")
report_product=$(sed -n 's/.*VALUE "ProductVersion", "\([^"]*\)".*/\1/p' "$report_rc")
cp "$(dirname "$exe")/quellmark-report.exe" "$app/quellmark-report.exe"
planted_report() {
  ( cd "$cwd" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;version=n,b;comctl32=n,b" exec timeout 120 wine \
      "$app/quellmark-report.exe" "$@" ) 2>/dev/null | tr -d '\r'
}
expect "the report's own version" "$(planted_report --version)" \
  "quellmark-report $report_product (Build $report_build)"
expect "the report's version details" "$(planted_report --format csv | python3 -c '
import csv, sys
for row in csv.DictReader(sys.stdin):
    print(",".join(row[f] for f in ("name", "company", "description", "version")))')" \
  "Alpha,Quellmark,$description,$file_version" "Gamma,Microsoft Corporation,Wine Registry Editor,5.2.3790.0"

( cd "$cwd" && exec timeout 120 wine "$app/quellmark-report.exe" ) >"$base/report.json" 2>"$base/report.err"
code=$?
if [ "$code" = 0 ] && [ ! -s "$base/report.err" ] && grep -q '"schema":2' "$base/report.json"; then
  passed=$((passed + 1))
else
  echo "FAIL [the report starts without a refusal]: exit $code, $(cat "$base/report.err")"; failures=$((failures + 1))
fi

markers=$(find "$base" -name '*.loaded')
if [ -n "$markers" ]; then
  echo "FAIL [planted DLLs stay unloaded]: $markers"
  failures=$((failures + 1))
else
  passed=$((passed + 1))
fi

rm -f "$task"
reset_run_key </dev/null
finish
