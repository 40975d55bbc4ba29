#!/usr/bin/env bash
# On 64-bit Windows (the 64-bit Wine prefix), for the 32-bit program under
# WOW64 and for the 64-bit one: quellmark-report.exe beside it lists exactly
# the rows its window lists, each redirected key's values in both registry
# views, the 64-bit view first, each entry with its own view and real key.
. "$(dirname "${BASH_SOURCE[0]}")/../wine/lib.sh"

report="$(dirname "$exe")/quellmark-report.exe"
lm='HKEY_LOCAL_MACHINE\SOFTWARE'
cv='Microsoft\Windows\CurrentVersion'
cleanup() {
  printf '[%s\\%s\\Run]\n"QmReport"=-\n[%s\\WOW6432Node\\%s\\Run]\n"QmReport"=-\n' "$lm" "$cv" "$lm" "$cv" | import_reg
}
work="$artifacts/report64"
rm -rf "$work"
mkdir -p "$work"

cleanup
import_reg <<EOF2
[$lm\\$cv\\Run]
"QmReport"="C:\\\\qm\\\\native64.exe"
[$lm\\WOW6432Node\\$cv\\Run]
"QmReport"="C:\\\\qm\\\\wow32.exe"
EOF2

start_program
run_probe wait-main 30000 >/dev/null
window_rows "$work"
stop_program

timeout 120 wine "$report" >"$work/report.json" 2>"$work/report.err"
code=$?
timeout 120 wine "$report" --format csv >"$work/report.csv" 2>/dev/null
if [ "$code" = 0 ]; then passed=$((passed + 1)); else
  echo "FAIL [report exits 0]: exit $code: $(cat "$work/report.err")"; failures=$((failures + 1)); fi

cat >"$work/checks.py" <<'EOF'
mine = [e for e in entries if e["name"] == "QmReport"]
want = [("hklm-run", "C:\\qm\\native64.exe", "64", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
        ("hklm-run", "C:\\qm\\wow32.exe", "32", "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run")]
got = [(e["category"], e["command"], e["location"]["view"], e["location"]["key"]) for e in mine]
if got != want: problems.append(f"both views: {got}")
EOF
out=$(python3 "$(dirname "${BASH_SOURCE[0]}")/../wine/report_rows.py" "$work" "$work/checks.py" 2>&1)
if [ "$out" = ok ]; then passed=$((passed + 1)); else
  echo "FAIL [report = window rows, both views]: $out"; failures=$((failures + 1)); fi

cleanup
finish
