#!/usr/bin/env bash
# The About dialog of the real program: title, icon, name, the version and
# build of the executable's own resource, the copyright year, the link; modal
# and topmost; closed by Enter, Esc and the close box; a new dialog per press.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

rc="$(dirname "${BASH_SOURCE[0]}")/../../res/quellmark.rc"
build_text=$(sed -n 's/^FILEVERSION \([0-9]*\),\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1.\2.\3.\4/p' "$rc")
product=$(sed -n 's/.*VALUE "ProductVersion", "\([^"]*\)".*/\1/p' "$rc")
year=$(date +%Y)
years=2026; [ "$year" -gt 2026 ] && years="2026-$year"

start_program
run_probe wait-main 30000 >/dev/null
declare -a handles
for close in Enter Esc Close; do
  run_probe about-press >/dev/null
  out=$(run_probe about 10000)
  expect "about dialog, closed by $close" "$out" \
    "title=About Quellmark" "client=361x96" "topmost=1" "owner=main" "main enabled=0" \
    "icon at 16,17 size 48x48 loaded=1" \
    "label at 80,9=Quellmark" \
    "label at 80,29=Version $product (Build $build_text)" \
    "label at 80,48=Copyright (C) $years The Quellmark developers" \
    "link at 80,66=github.com/quellmark/quellmark" \
    "default button at 276,10=OK" "focus=OK"
  handles+=("$(sed -n 's/^about=//p' <<<"$out")")
  if [ "$close" = Enter ]; then
    run_probe about-move 40 40 >/dev/null
    sleep 0.5
    screenshot about-dialog
  fi
  run_probe about-key "$close" >/dev/null
  expect "$close closes the dialog" "$(run_probe about-gone 5000)" "about closed" "main enabled=1"
done
# Every press built a window of its own.
if [ "$(printf '%s\n' "${handles[@]}" | sort -u | grep -c .)" != 3 ]; then
  echo "FAIL [new dialog per press]: handles ${handles[*]}"
  failures=$((failures + 1))
fi
expect "main window answers after About" "$(run_probe dump)" "active=0"

# The web link is opened by the desktop's shell, so that the browser runs
# with the user's rights and not with this elevated program's: the handler of
# https addresses, a stand-in here, is started by explorer.exe.
handler='HKCR\https\shell\open\command'
was=$(wine reg query "$handler" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p')
browser="$artifacts/browser"
rm -rf "$browser"
mkdir -p "$browser"
cp "$build/qm_marker.exe" "$browser/qm-browser.exe"
wine reg add "$handler" /ve /d "\"$(winepath -w "$browser/qm-browser.exe")\" \"%1\"" /f >/dev/null 2>&1
run_probe about-press >/dev/null
run_probe about 10000 >/dev/null
run_probe about-link >/dev/null
for _ in $(seq 100); do [ -s "$browser/qm-browser.exe.ran" ] && break; sleep 0.1; done
out=$(tr -d '\r' < "$browser/qm-browser.exe.ran" 2>/dev/null; run_probe about 0 | grep '^title=')
expect "web link opened by the desktop shell" "$out" "explorer.exe" "title=About Quellmark"
grep -q 'https://github.com/quellmark/quellmark' <<<"$out" || { echo "FAIL [web link address]: $out"; failures=$((failures + 1)); }
run_probe about-key Esc >/dev/null
run_probe about-gone 5000 >/dev/null
wine reg add "$handler" /ve /d "$was" /f >/dev/null 2>&1
rm -rf "$browser"
stop_program

finish
