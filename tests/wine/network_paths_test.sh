#!/usr/bin/env bash
# Run values naming a file on a server and a pipe whose server never answers:
# the real program lists them and shows their Item Properties without opening
# either (generic fields, no wait), and stays responsive.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

run='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
pipe=qm-steer-pipe
cleanup() {
  import_reg <<EOF2
[$run]
"QmShare"=-
"QmPipe"=-
EOF2
}
cleanup
import_reg <<EOF2
[$run]
"QmShare"="\\\\\\\\127.0.0.1\\\\share\\\\x.exe"
"QmPipe"="\\\\\\\\.\\\\pipe\\\\$pipe"
EOF2

pipe_log="$artifacts/pipe.log"
run_probe hold-pipe "$pipe" > "$pipe_log" &
pipe_pid=$!
for _ in $(seq 50); do grep -q '^pipe=ready' "$pipe_log" 2>/dev/null && break; sleep 0.1; done

start_program
run_probe wait-main 30000 >/dev/null
rows=$(run_probe rows 0)
expect "listed" "$rows" "row=QmShare|\\\\127.0.0.1\\share\\x.exe$loc" "row=QmPipe|\\\\.\\pipe\\$pipe$loc"

row_of() { grep '^row=' <<<"$rows" | sed 's/^row=//; s/|.*//' | grep -nxF -- "$1" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
for name in QmShare QmPipe; do
  row=$(row_of "$name")
  run_probe select-row 0 "$row" >/dev/null
  run_probe dblclick 0 "$row" >/dev/null
  sleep 0.5
  out=$(timeout 20 wine "$probe" item-form 5000 2>/dev/null | tr -d '\r')
  expect "properties of $name" "$out" "item visible=1" "title=$name" "company=" "description=" "version=" "program-icon icon=1"
  run_probe item-press OK >/dev/null
  sleep 0.3
done
# The folder of the pipe's row: nothing is opened.
run_probe dblclick 0 "$(row_of QmPipe)" >/dev/null
sleep 0.5
run_probe item-press find-target >/dev/null
run_probe item-press properties-link >/dev/null
sleep 1
out=$(timeout 20 wine "$probe" rows 0 2>/dev/null | tr -d '\r' | head -1)
expect "still answering" "$out" "list 0 rows=$(grep -c '^row=' <<<"$rows")"
run_probe item-press OK >/dev/null

run_probe release "$pipe" >/dev/null
wait "$pipe_pid"
expect "the pipe was never opened" "$(cat "$pipe_log")" "pipe=ready" "pipe=untouched"
stop_program
cleanup
finish
