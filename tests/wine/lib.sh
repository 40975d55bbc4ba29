# Shared by the Wine tests of the real quellmark.exe: each test script is
#   NAME_test.sh QUELLMARK_EXE PROBE_EXE BUILD_DIR
# and sources this file, prepares the Wine registry or folders, starts the
# program, looks at its windows from outside with qm_probe, puts everything
# back, and ends with `finish`.
set -uo pipefail
exe=$1 probe=$2 build=$(cd "$3" && pwd)
# Wine through the project's loader picker (tests/wine/bin/wine).
PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/bin:$PATH"
export WINEPREFIX="${QM_WINEPREFIX:-$build/../wineprefix}" WINEARCH="${QM_WINEARCH:-win32}" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
artifacts="$build/test-artifacts"
# The rows of the WinLogon tab: its nine places, and in a 64-bit prefix each
# of them that holds text in the 32-bit view as well (the 32-bit view's own
# Winlogon key: a stock prefix has a Shell value there, one made without the
# 32-bit subsystem has none).
count_winlogon_rows() {
  local extra=0
  if [ "$WINEARCH" = win64 ]; then
    extra=$(wine reg query 'HKLM\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\Winlogon' 2>/dev/null | tr -d '\r' |
      grep -ciE '^ +(Userinit|system|Shell|UIHost|Taskman|LsaStart|SaveDumpStart|AppSetup|ServiceControllerStart) +REG_[A-Z_]+ +[^ ]')
  fi
  echo $((9 + extra))
}
# The program's processor as the side-by-side store names it: x86 or amd64.
. "$(dirname "${BASH_SOURCE[0]}")/pe_machine.sh"
program_arch=x86
[ "$(pe_machine "$exe")" = 8664 ] && program_arch=amd64
mkdir -p "$artifacts"
failures=0 passed=0

run_probe() { wine "$probe" "$@" 2>/dev/null | tr -d '\r'; }

# Imports a REGEDIT4 text given on stdin. In a 64-bit prefix the registry
# editor is the 64-bit one: a key's plain name is its 64-bit view, the 32-bit
# view is written by its real path below WOW6432Node.
import_reg() {
  local file="$artifacts/fixture.reg"
  { printf 'REGEDIT4\r\n\r\n'; sed 's/$/\r/'; } > "$file"
  wine regedit /s "$(winepath -w "$file")" >/dev/null 2>&1
}

# The user's Run key, which most scripts fill with values of their own.
run_key='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'

# Empties the user's Run key, then imports the REGEDIT4 lines given on stdin
# (values for that key, or more keys).
reset_run_key() { { printf '[-%s]\n[%s]\n' "$run_key" "$run_key"; cat; } | import_reg; }

expect() {  # expect NAME OUTPUT LINE...
  local name=$1 output=$2; shift 2
  local line ok=1
  for line in "$@"; do
    if ! grep -qxF -- "$line" <<<"$output"; then
      echo "FAIL [$name]: missing line: $line"
      ok=0
    fi
  done
  if [ $ok -eq 1 ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "--- what the probe saw:"; echo "$output"; fi
}

start_program() {
  wine "$exe" >/dev/null 2>&1 &
  program_pid=$!
}

stop_program() {
  run_probe close >/dev/null
  for _ in $(seq 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$program_pid" 2>/dev/null; then
    echo "FAIL: quellmark.exe did not end after its window was closed"
    failures=$((failures + 1))
    kill "$program_pid" 2>/dev/null
  fi
  wait "$program_pid" 2>/dev/null
}

screenshot() {
  [ -n "${DISPLAY:-}" ] && command -v xwd >/dev/null || return 0
  xwd -root -silent | /usr/bin/convert xwd:- "$artifacts/$1.png" 2>/dev/null || true
}

# The location columns every HKCU Run row carries after its name and command.
loc='|HKEY_CURRENT_USER|HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run|\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'

# Every tab's rows as the running window shows them, each tab chosen (which
# reads it again): DIR/window.txt holds one line per row, the tab's caption,
# a tab and the row's cells joined by "|"; DIR/captions.txt every caption in
# tab order. tests/wine/report_rows.py compares them with a report.
window_rows() {  # window_rows DIR
  local tab caption count
  : >"$1/window.txt"
  : >"$1/captions.txt"
  # The window answers once its start-up scan is done and its loop runs.
  run_probe wait-idle TMainForm 30000 >/dev/null
  count=$(run_probe dump | grep -c '^tab[0-9]*=')
  for ((tab = 0; tab < count; tab++)); do
    run_probe select-tab "$tab" >/dev/null
    caption=$(run_probe dump | grep "^tab$tab=" | cut -d= -f2-)
    run_probe rows "$tab" | grep '^row=' | sed "s|^row=|$caption\t|" >>"$1/window.txt"
    echo "$caption" >>"$1/captions.txt"
  done
}

finish() {
  echo "$passed passed, $failures failed"
  [ $failures -eq 0 ]
}
