#!/usr/bin/env bash
# Registry contents a damaged machine may hold, against the real program:
# every data type that is not text, empty data of every type, odd names and
# big data. Each run shows no error box, lists what it should, and leaves the
# registry as it found it.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"


# The hives the program could touch, as text, for a before/after comparison.
export_registry() {
  local out="$artifacts/$1.reg" part
  : > "$out"
  for part in 'HKEY_CURRENT_USER\Software' 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows' \
              'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Winlogon'; do
    wine regedit /e "$(winepath -w "$artifacts/part.reg")" "$part" >/dev/null 2>&1
    cat "$artifacts/part.reg" >> "$out"
  done
}

registry_unchanged() {  # registry_unchanged NAME: compares with the export taken before
  export_registry after
  if cmp -s "$artifacts/before.reg" "$artifacts/after.reg"; then
    passed=$((passed + 1))
  else
    echo "FAIL [$1]: the registry changed"
    diff <(iconv -f UTF-16LE -t UTF-8 "$artifacts/before.reg") <(iconv -f UTF-16LE -t UTF-8 "$artifacts/after.reg") | head -10
    failures=$((failures + 1))
  fi
}

# A value of any type that is not text is a row showing its type and size:
# no error box, and the values after it are listed too.
for pair in 'hex(0):01=(REG_NONE, 1 byte)' 'hex:01,02=(REG_BINARY, 2 bytes)' 'dword:00000001=(REG_DWORD, 4 bytes)' \
            'hex(5):00,00,00,01=(REG_DWORD_BIG_ENDIAN, 4 bytes)' 'hex(6):41,00=(REG_LINK, 2 bytes)' \
            'hex(7):61,00,62,00,00,00=(REG_MULTI_SZ, 6 bytes)' 'hex(b):01,00,00,00,00,00,00,00=(REG_QWORD, 8 bytes)'; do
  typed=${pair%%=*} shown=${pair#*=}
  reset_run_key <<EOF2
"A_Text"="C:\\\\ok.exe"
"B_Typed"=$typed
"C_After"="C:\\\\after.exe"
EOF2
  [ "$typed" = 'dword:00000001' ] && export_registry before
  start_program
  out=$(run_probe wait-main 10000; run_probe dump; run_probe no-dialog Quellmark 300)
  expect "type $typed" "$out" "tab0=HKCU / Run (3)" "list 0 rows=3" "row=B_Typed|$shown$loc" \
    "row=C_After|C:\\after.exe$loc" "tab14=HKCU / Desktop (1)"
  stop_program
  [ "$typed" = 'dword:00000001' ] && registry_unchanged "type $typed"
done

# Empty data of any type, odd names, a megabyte of text: listed, no box.
# Empty data that is not text still shows its type.
long=$(printf 'L%.0s' $(seq 300))
big=$(head -c 1048576 /dev/zero | tr '\0' 'x')
reset_run_key <<EOF2
"E_None"=hex(0):
"E_Binary"=hex:
"E_Dword"=hex(4):
"E_Multi"=hex(7):
"$long"="C:\\\\long.exe"
"Caf$(printf '\xe9')"="C:\\\\cafe.exe"
"Big"="$big"
EOF2
export_registry before
start_program
out=$(run_probe wait-main 60000; run_probe dump; run_probe no-dialog Quellmark 300)
expect "empty data and odd names" "$out" "tab0=HKCU / Run (7)" "list 0 rows=7" \
  "row=E_None|$loc" "row=E_Binary|$loc" "row=E_Dword|$loc" "row=E_Multi|$loc" \
  "row=$long|C:\\long.exe$loc" "row=Caf$(printf '\xc3\xa9')|C:\\cafe.exe$loc"
if ! grep -q "^row=Big|xxxxxxxxxx" <<<"$out"; then echo "FAIL [big]: the megabyte value is not listed"; failures=$((failures + 1)); fi
stop_program
registry_unchanged "empty data and odd names"

reset_run_key </dev/null
finish
