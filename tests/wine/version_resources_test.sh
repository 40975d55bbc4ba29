#!/usr/bin/env bash
# Programs whose version resources are damaged the way a hostile file would
# damage them (tests/fixtures/damaged_versions.h, written into copies of the
# probe with UpdateResource), each the target of a Run entry: the real
# program shows their Item Properties with the strings read up to their NUL
# and never past their block, or empty where a block is damaged, and goes on.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

dir="$artifacts/versions"
rm -rf "$dir"
mkdir -p "$dir"
planted=$(run_probe plant-versions "$(winepath -w "$dir")")
if [ "$(grep -c '|' <<<"$planted")" -lt 6 ] || grep -q '^cannot' <<<"$planted"; then
  echo "FAIL: the damaged programs could not be written"; echo "$planted"; exit 1
fi

{
  echo "[-$run_key]"
  echo "[$run_key]"
  while IFS='|' read -r name path _; do
    printf '"%s"="%s"\n' "$name" "${path//\\/\\\\}"
  done <<<"$planted"
} | import_reg

start_program
run_probe wait-main 30000 >/dev/null
rows=$(run_probe rows 0)
while IFS='|' read -r name path company description version; do
  # Wine lists values by name; the row is found by its caption.
  row=$(grep '^row=' <<<"$rows" | grep -n "^row=$name|" | cut -d: -f1)
  if [ -z "$row" ]; then
    echo "FAIL [$name]: no row"; failures=$((failures + 1)); continue
  fi
  row=$((row - 1))
  run_probe select-row 0 "$row" >/dev/null
  run_probe dblclick 0 "$row" >/dev/null
  sleep 0.3
  expect "$name" "$(run_probe item-form 3000)" "item visible=1" "title=$name" "command=$path" \
    "company=$company" "description=$description" "version=$version"
done <<<"$planted"
# Still running, still answering.
expect "the program goes on" "$(run_probe wait-main 2000; run_probe rows 0 | head -1)" "list 0 rows=$(grep -c '|' <<<"$planted")"
screenshot damaged-versions
stop_program

reset_run_key </dev/null
finish
