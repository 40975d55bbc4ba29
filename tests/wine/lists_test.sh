#!/usr/bin/env bash
# Every list of the real program: its column headers and widths, and its
# popup menu as it opens on a right-click (captions in order, the separator,
# each item's image drawn on screen); items chosen from the open menu by
# their mnemonics run the list's own commands.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

reset_run_key <<EOF2
"Alpha"="C:\\\\qm\\\\alpha.exe"
EOF2

# Columns by tab: caption and width each, separated by ";" (an empty caption is a hidden column).
run() { echo "Key Name:145;Target Value:270;Key Location:$1;:0;:0"; }
named="Name:200;Target Value:340"
columns=(
  "$(run 126)" "$(run 129)" " Name:145;Target Value:270;Location:126;:0;:0" "Name:145;Target Value:270;Location:126;:0;:0"
  "$(run 126)" "$(run 126)" "$(run 128)" "$(run 126)"
  "Service Name:145;Description:180;Path:300" "Name:200;ComponentID:110;Path:330" "$named" "$named"
  "$(run 128)" "$(run 126)" "$named"
)
# The Properties item's caption by tab.
properties=("&Properties" "&Properties..." "&Properties..." "&Properties" "&Properties" "&Properties..."
            "&Properties..." "&Properties" "&Properties" "&Properties" "&Properties" "&Properties" "&Properties"
            "&Properties" "&Properties")
services_tab=8

start_program
run_probe wait-main 30000 >/dev/null
for tab in $(seq 0 14); do
  run_probe select-tab "$tab" >/dev/null
  lines=()
  IFS=';' read -r -a cols <<<"${columns[$tab]}"
  lines+=("columns=${#cols[@]}")
  for i in "${!cols[@]}"; do lines+=("column $i=\"${cols[$i]%:*}\" width=${cols[$i]##*:}"); done
  expect "columns of tab $tab" "$(run_probe columns "$tab")" "${lines[@]}"

  delete="item 0=&Delete Items...|image=13|enabled|drawn=yes"
  if [ "$tab" = $services_tab ]; then
    lines=("items=5" "$delete" "item 1=&Disable Items...|image=18|enabled|drawn=yes" "item 2 separator"
           "item 3=&Jump To...|image=9|enabled|drawn=yes" "item 4=${properties[$tab]}|image=14|enabled|drawn=yes")
  elif [ "$tab" -le 3 ]; then
    # The Run and Startup lists: whether Windows starts the row, available
    # while the right-click selected one (its list is not empty).
    state=enabled
    run_probe rows "$tab" | grep -qx "list $tab rows=0" && state=disabled
    lines=("items=5" "$delete" "item 1=Disa&ble|image=18|$state|drawn=yes" "item 2 separator"
           "item 3=&Jump To...|image=9|enabled|drawn=yes" "item 4=${properties[$tab]}|image=14|enabled|drawn=yes")
  else
    lines=("items=4" "$delete" "item 1 separator"
           "item 2=&Jump To...|image=9|enabled|drawn=yes" "item 3=${properties[$tab]}|image=14|enabled|drawn=yes")
  fi
  run_probe rclick "$tab" 0 >/dev/null
  expect "popup menu of tab $tab" "$(run_probe menu-items 5000)" "${lines[@]}"
  run_probe cancel-menu >/dev/null
done

# ---- The open menu's items by their mnemonics: Properties shows the row, Delete asks about it
run_probe select-tab 0 >/dev/null
run_probe click-row 0 0 >/dev/null
run_probe rclick 0 0 >/dev/null
run_probe menu-items 5000 >/dev/null
run_probe keys P >/dev/null
expect "Properties chosen in the menu" "$(run_probe item-form 3000)" "item visible=1" "title=Alpha"
run_probe item-press Esc >/dev/null
run_probe rclick 0 0 >/dev/null
run_probe menu-items 5000 >/dev/null
run_probe keys D >/dev/null
expect "Delete chosen in the menu" "$(run_probe dialog Confirm 5000 '&No'; wine reg query "$run_key" /v Alpha 2>/dev/null | tr -d '\r')" \
  'dialog=Are you sure want to delete autorun "Alpha" ?' "    Alpha    REG_SZ    C:\\qm\\alpha.exe"
stop_program

reset_run_key </dev/null
finish
