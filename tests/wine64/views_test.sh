#!/usr/bin/env bash
# On 64-bit Windows (the 64-bit Wine prefix), run for the 32-bit program under
# WOW64 and for the 64-bit one: every redirected HKLM key the program reads is
# listed in both registry views, the 64-bit view first and the 32-bit one
# under its real WOW6432Node location; deleting a row removes its own view's
# value only; Jump To reaches the row's own key; and a startup shortcut to a
# 64-bit-only program in System32 shows that program's icon and version.
. "$(dirname "${BASH_SOURCE[0]}")/../wine/lib.sh"

# Whether the value is in the key, read by 64-bit reg.exe (real paths).
reg_has() { wine reg query "$1" /v "$2" >/dev/null 2>&1 && echo "$3 present" || echo "$3 absent"; }

lm='HKEY_LOCAL_MACHINE\SOFTWARE'
cv='Microsoft\Windows\CurrentVersion'
winlogon='Microsoft\Windows NT\CurrentVersion\Winlogon'
components='Microsoft\Active Setup\Installed Components'
regedit_state='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Applets\Regedit'
lists="Run RunOnce ShellServiceObjectDelayLoad RunOnceEx"

cleanup() {
  {
    for node in "" 'WOW6432Node\'; do
      for key in $lists; do printf '[%s\\%s%s\\%s]\n"QmView"=-\n' "$lm" "$node" "$cv" "$key"; done
      printf '[%s\\%s%s]\n"Taskman"=-\n[-%s\\%s%s\\{QM-VIEW-TEST}]\n' "$lm" "$node" "$winlogon" "$lm" "$node" "$components"
    done
    printf '[-%s]\n' "$regedit_state"
  } | import_reg
  rm -f "$user_u"/qm-* "$system32"/qm-native64.exe
}

user=$(run_probe special-folder 7)
user_u=$(winepath -u "$user" 2>/dev/null)
system32="$WINEPREFIX/drive_c/windows/system32"
if [ -z "$user" ] || [ ! -d "$user_u" ] || [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
  echo "FAIL: not a 64-bit prefix with a startup folder: $WINEPREFIX"
  exit 1
fi
cleanup

# A 64-bit program with a version resource, in System32 only: a 32-bit
# program that looks for it there is shown SysWOW64, where it is not.
native="$artifacts/native64"
mkdir -p "$native"
printf 'int main(void) { return 0; }\n' > "$native/main.c"
cat > "$native/version.rc" <<'EOF2'
#include <winver.h>
1 ICON "ICON_FILE"
VS_VERSION_INFO VERSIONINFO
FILEVERSION 6,4,0,0
PRODUCTVERSION 6,4,0,0
FILETYPE VFT_APP
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904B0"
    BEGIN
      VALUE "CompanyName", "Native Sixty-Four"
      VALUE "FileDescription", "Only in System32"
      VALUE "FileVersion", "6.4.0.0"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
EOF2
sed -i "s#ICON_FILE#$(cd "$(dirname "${BASH_SOURCE[0]}")/../../res" && pwd)/quellmark.ico#" "$native/version.rc"
if ! x86_64-w64-mingw32-windres "$native/version.rc" -O coff -o "$native/version.o" ||
   ! x86_64-w64-mingw32-gcc -o "$native/qm-native64.exe" "$native/main.c" "$native/version.o"; then
  echo "FAIL: cannot build the 64-bit program"
  exit 1
fi
cp "$native/qm-native64.exe" "$system32/"
run_probe make-shortcut "$user\\qm-native.lnk" 'C:\windows\system32\qm-native64.exe' >/dev/null

{
  for key in $lists; do
    printf '[%s\\%s\\%s]\n"QmView"="C:\\\\qm\\\\native64.exe"\n' "$lm" "$cv" "$key"
    printf '[%s\\WOW6432Node\\%s\\%s]\n"QmView"="C:\\\\qm\\\\wow32.exe"\n' "$lm" "$cv" "$key"
  done
  for node in "" 'WOW6432Node\'; do
    stub='C:\\qm\\native64.exe'; [ -n "$node" ] && stub='C:\\qm\\wow32.exe'
    printf '[%s\\%s%s]\n"Taskman"="%s"\n' "$lm" "$node" "$winlogon" "$stub"
    printf '[%s\\%s%s\\{QM-VIEW-TEST}]\n@="QmView"\n"StubPath"="%s"\n' "$lm" "$node" "$components" "$stub"
  done
} | import_reg

start_program
run_probe wait-main 30000 >/dev/null
# The start-up scan is done when every tab shows its count.
for _ in $(seq 120); do run_probe dump | grep -q '^tab14=HKCU / Desktop (' && break; sleep 0.25; done

# Each list: the 64-bit view's value, then the 32-bit view's under its real
# key; the count caption counts every row.
tab=(1 5 6 7)
caption=("HKLM / Run (" "HKLM / Run Once (" "HKLM / ShellObject (" "HKLM / Run OnceEx (")
shown=(SOFTWARE Software Software SOFTWARE)
i=0
for key in $lists; do
  t=${tab[$i]}
  run_probe select-tab 0 >/dev/null
  run_probe select-tab "$t" >/dev/null
  native_row="row=QmView|C:\\qm\\native64.exe|HKEY_LOCAL_MACHINE|HKEY_LOCAL_MACHINE\\${shown[$i]}\\$cv\\$key|\\${shown[$i]}\\$cv\\$key"
  wow_row="row=QmView|C:\\qm\\wow32.exe|HKEY_LOCAL_MACHINE|HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\$cv\\$key|\\SOFTWARE\\WOW6432Node\\$cv\\$key"
  # The first start in a prefix that stood idle may take half a minute.
  for _ in $(seq 120); do
    out=$(run_probe rows "$t")
    grep -qxF -- "$wow_row" <<<"$out" && break
    sleep 0.25
  done
  rows=$(grep -c '^row=' <<<"$out")
  expect "$key in both views" "$out$(printf '\n'; run_probe dump | grep "^tab$t=")" "$native_row" "$wow_row" \
    "tab$t=${caption[$i]}$rows)"
  # The 64-bit view first.
  native_at=$(grep -nxF -- "$native_row" <<<"$out" | cut -d: -f1) wow_at=$(grep -nxF -- "$wow_row" <<<"$out" | cut -d: -f1)
  expect "$key: the 64-bit view first" "$([ "${native_at:-0}" -lt "${wow_at:-0}" ] && echo ordered)" "ordered"
  i=$((i + 1))
done
run_probe select-tab 9 >/dev/null
expect "Active Setup in both views" "$(run_probe rows 9)" \
  "row=QmView|Suspect Malware|C:\\qm\\native64.exe" "row=QmView|Suspect Malware|C:\\qm\\wow32.exe"
run_probe select-tab 10 >/dev/null
expect "Winlogon in both views" "$(run_probe rows 10)" "row=Taskman|C:\\qm\\native64.exe" "row=Taskman|C:\\qm\\wow32.exe"

# The row of TAB that shows COMMAND, 0-based.
row_with() { run_probe rows "$1" | grep '^row=' | grep -nF -- "|$2|" | head -1 | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }

# Jump To from the 32-bit view's RunOnce row, with no editor open: the
# program starts the 64-bit editor itself (Wine's WaitForInputIdle never
# returns for a 64-bit program started by a 32-bit one, so this also shows
# that the wait is bounded). The editor, closed, keeps the key it showed
# last (as the tree spells it).
run_probe regedit-close 5000 >/dev/null
run_probe select-tab 5 >/dev/null
run_probe select-row 5 "$(row_with 5 'C:\qm\wow32.exe')" >/dev/null
out=$(run_probe jump 5; run_probe regedit-close 5000
      wine reg query "$regedit_state" /v LastKey 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p' | tr 'A-Z' 'a-z')
expect "Jump To the 32-bit view's key" "$out" "jump done" \
  "hkey_local_machine\\software\\wow6432node\\microsoft\\windows\\currentversion\\runonce"

# Deleting the 32-bit view's Run row: that value goes, the 64-bit view's
# value of the same name stays; then the 64-bit view's RunOnce row.
delete_row() {  # delete_row TAB COMMAND
  local row
  row=$(row_with "$1" "$2")
  [ -n "$row" ] || { echo "no row $2 on tab $1"; return; }
  run_probe set-rows "$1" "$row" "$row" >/dev/null
  run_probe menu "$1" 0 >/dev/null
  run_probe dialog Confirm 10000 "&Yes"
  sleep 0.5
}
run_probe select-tab 1 >/dev/null
out=$(delete_row 1 'C:\qm\wow32.exe'; run_probe rows 1
      reg_has "$lm\\WOW6432Node\\$cv\\Run" QmView wow32; reg_has "$lm\\$cv\\Run" QmView native64)
expect "delete the 32-bit view's Run value" "$out" 'dialog=Are you sure want to delete autorun "QmView" ?' \
  "wow32 absent" "native64 present"
if grep -qF 'C:\qm\wow32.exe' <<<"$(run_probe rows 1)"; then echo "FAIL: the deleted row is still listed"; failures=$((failures + 1)); fi
run_probe select-tab 5 >/dev/null
out=$(delete_row 5 'C:\qm\native64.exe'
      reg_has "$lm\\WOW6432Node\\$cv\\RunOnce" QmView wow32; reg_has "$lm\\$cv\\RunOnce" QmView native64)
expect "delete the 64-bit view's RunOnce value" "$out" "wow32 present" "native64 absent"

# The startup shortcut's program, in the real System32: its version and icon.
run_probe select-tab 3 >/dev/null
row=$(run_probe rows 3 | grep '^row=' | grep -n '^row=qm-native.lnk|' | cut -d: -f1)
run_probe select-row 3 $((row - 1)) >/dev/null
run_probe dblclick 3 $((row - 1)) >/dev/null
sleep 0.5
expect "the 64-bit program's details" "$(run_probe item-form 3000)" "item visible=1" "title=qm-native.lnk" \
  "command=C:\\windows\\system32\\qm-native64.exe" "company=Native Sixty-Four" "description=Only in System32" \
  "version=6.4.0.0" "program-icon icon=1"
screenshot "views-$(basename "$(dirname "$exe")")"
stop_program
run_probe regedit-close 5000 >/dev/null
cleanup
finish
