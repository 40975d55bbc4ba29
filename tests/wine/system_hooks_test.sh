#!/usr/bin/env bash
# The "System Hooks" tab of the real program: a debugger of a program, its
# SilentProcessExit monitor, two AppInit DLLs that are not loaded (silver), an
# extra BootExecute program beside the stock one, an extra LSA notification
# package, a print monitor and a value of a type that holds no entry, each
# listed once with its key and value. Delete: "&No" changes nothing, "&Yes"
# removes exactly the entry and leaves the rest of its value as it was stored;
# a value changed while the question is open is left alone.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

delete_command=0
regtool() { wine "$build/qm_regtool.exe" "$@" 2>/dev/null | tr -d '\r'; }
nt='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion'
ifeo="$nt\\Image File Execution Options\\qmtarget.exe"
ifeo_other="$nt\\Image File Execution Options\\qmother.exe"
# A debugger that is a real file with a known version resource: the program itself.
self=$(winepath -w "$exe")
self_reg=${self//\\/\\\\}
silent="$nt\\SilentProcessExit\\qmtarget.exe"
windows="$nt\\Windows"
session='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager'
lsa='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Lsa'
monitor='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Print\Monitors\Qm Port'
short() { sed 's/^HKEY_LOCAL_MACHINE/HKLM/' <<<"$1"; }
value() { regtool value "$(short "$1")" "$2"; }
tab_of() { run_probe dump | sed -n "s/^tab\([0-9]*\)=$1.*/\1/p"; }
row_of() { run_probe rows "$tab" | grep '^row=' | grep -nF "row=$1|" | cut -d: -f1 | { read -r n && echo $((n - 1)); }; }
check() {  # check NAME RESULT: "ok" passes, anything else is the failure's text
  if [ "$2" = ok ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAIL [$1]: $2"; fi
}
same() {  # same NAME EXPECTED ACTUAL
  [ "$2" = "$3" ] && check "$1" ok || check "$1" "expected '$2', found '$3'"
}

# The values as they were before the test, put back at its end.
lsa_auth=$(value "$lsa" "Authentication Packages")
put_back() {
  wine reg delete "$ifeo" /f >/dev/null 2>&1
  wine reg delete "$ifeo_other" /f >/dev/null 2>&1
  wine reg delete "$nt\\SilentProcessExit" /f >/dev/null 2>&1
  wine reg delete "$monitor" /f >/dev/null 2>&1
  wine reg delete "$windows" /v AppInit_DLLs /f >/dev/null 2>&1
  wine reg delete "$windows" /v LoadAppInit_DLLs /f >/dev/null 2>&1
  wine reg delete "$session" /v BootExecute /f >/dev/null 2>&1
  wine reg delete "$lsa" /v "Notification Packages" /f >/dev/null 2>&1
  [ "${lsa_auth%% *}" = absent ] && wine reg delete "$lsa" /v "Authentication Packages" /f >/dev/null 2>&1
}
put_back
# hex(7) is REG_MULTI_SZ, in REGEDIT4 as 8-bit text: "autocheck autochk *",
# "qmboot /x"; "scecli", "qmnotify". The authentication packages are a
# REG_BINARY of 12 bytes.
bytes() { printf '%s' "$1" | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//'; }
multi() { local out="" item; for item in "$@"; do out+="$(bytes "$item"),00,"; done; echo "${out}00"; }
import_reg <<EOF2
[$ifeo]
"Debugger"="C:\\\\qm\\\\dbg.exe -p"
[$ifeo_other]
"Debugger"="$self_reg"
[$silent]
"MonitorProcess"="C:\\\\qm\\\\mon.exe"
[$windows]
"AppInit_DLLs"="C:\\\\qm\\\\a.dll,C:\\\\qm\\\\b.dll"
"LoadAppInit_DLLs"=dword:00000000
[$session]
"BootExecute"=hex(7):$(multi "autocheck autochk *" "qmboot /x")
[$lsa]
"Notification Packages"=hex(7):$(multi scecli qmnotify)
"Authentication Packages"=hex:41,41,41,41,41,41,41,41,41,41,41,41
[$monitor]
"Driver"="qmmon.dll"
EOF2
same "BootExecute as written" '7:autocheck autochk *\0qmboot /x\0\0' "$(value "$session" BootExecute)"

start_program
run_probe wait-main 30000 >/dev/null
tab=$(tab_of "System Hooks")
[ -n "$tab" ] && check "the tab is there" ok || check "the tab is there" "no tab captioned System Hooks"
run_probe select-tab "$tab" >/dev/null
out=$(run_probe dump)
sys='C:\windows\System32'
not_loaded=' (not loaded: LoadAppInit_DLLs is 0)'
expect "every hook" "$out" \
  "row=C:\\qm\\dbg.exe -p|Debugger (qmtarget.exe)|C:\\qm\\dbg.exe|$ifeo|Debugger" \
  "row=C:\\qm\\mon.exe|SilentProcessExit monitor (qmtarget.exe)|C:\\qm\\mon.exe|$silent|MonitorProcess" \
  "row=C:\\qm\\a.dll|AppInit DLL$not_loaded|C:\\qm\\a.dll|$windows|AppInit_DLLs" \
  "row=C:\\qm\\b.dll|AppInit DLL$not_loaded|C:\\qm\\b.dll|$windows|AppInit_DLLs" \
  "row=autocheck autochk *|BootExecute|$sys\\autochk.exe|$session|BootExecute" \
  "row=qmboot /x|BootExecute|$sys\\qmboot.exe|$session|BootExecute" \
  "row=(REG_BINARY, 12 bytes)|LSA authentication package||$lsa|Authentication Packages" \
  "row=scecli|LSA notification package|$sys\\scecli.dll|$lsa|Notification Packages" \
  "row=qmnotify|LSA notification package|$sys\\qmnotify.dll|$lsa|Notification Packages" \
  "row=localspl.dll|Print monitor (Local Port)|$sys\\localspl.dll|HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Local Port|Driver" \
  "row=qmmon.dll|Print monitor (Qm Port)|$sys\\qmmon.dll|$monitor|Driver"
for entry in 'C:\qm\dbg.exe -p' 'qmboot /x' qmnotify 'C:\qm\a.dll'; do
  [ "$(grep -cF "row=$entry|" <<<"$out")" = 1 ] && check "$entry listed once" ok || check "$entry listed once" "not once"
done
screenshot system-hooks-tab
# The AppInit DLLs, not loaded, are drawn in silver; the debugger's row is not.
colours=$(run_probe row-colours "$tab" "$(row_of 'C:\qm\a.dll')")
grep -q 'silver=[1-9]' <<<"$colours" && check "not loaded: silver" ok || check "not loaded: silver" "$colours"
colours=$(run_probe row-colours "$tab" "$(row_of 'C:\qm\dbg.exe -p')")
grep -q 'silver=0 ' <<<"$colours" && check "loaded: not silver" ok || check "loaded: not silver" "$colours"

# ---- Properties of a debugger's row: its program's file, icon and version
run_probe select-row "$tab" "$(row_of "$self")" >/dev/null
run_probe menu "$tab" 3 >/dev/null
expect "debugger properties" "$(run_probe item-form 5000)" "item visible=1" "title=$self" "command=$self" \
  "location=$ifeo_other" "company=Quellmark" "version=1.0.0.1" "program-icon icon=1"
run_probe item-press Esc >/dev/null

# ---- Jump To walks the Registry Editor to the key of the row (the Lsa key: Wine's
# editor takes no typed blank, so the keys with one cannot be reached there)
run_probe regedit-close 5000 >/dev/null
run_probe select-row "$tab" "$(row_of scecli)" >/dev/null
expect "jump to the package's key" "$(run_probe jump "$tab"; run_probe regedit-selection)" "jump done" \
  "selected=My Computer\\HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Lsa"  # as the editor spells it
run_probe regedit-close 5000 >/dev/null

# ---- "&No" changes nothing
before=$(for v in BootExecute; do value "$session" $v; done; value "$lsa" "Notification Packages"
  value "$windows" AppInit_DLLs; value "$ifeo" Debugger)
for entry in qmnotify 'C:\qm\a.dll' 'C:\qm\dbg.exe -p'; do
  run_probe select-row "$tab" "$(row_of "$entry")" >/dev/null
  run_probe menu "$tab" $delete_command >/dev/null
  out=$(run_probe dialog Confirm 10000 "&No")
  expect "answer no: $entry" "$out" "dialog=Are you sure want to delete autorun \"$entry\" ?"
done
after=$(for v in BootExecute; do value "$session" $v; done; value "$lsa" "Notification Packages"
  value "$windows" AppInit_DLLs; value "$ifeo" Debugger)
same "answer no: nothing changed" "$before" "$after"

# ---- "&Yes": exactly the entry goes, the rest of the value stays as stored
delete_yes() {
  run_probe select-row "$tab" "$(row_of "$1")" >/dev/null
  run_probe menu "$tab" $delete_command >/dev/null
  expect "answer yes: $1" "$(run_probe dialog Confirm 10000 "&Yes")" "dialog=Are you sure want to delete autorun \"$1\" ?"
  sleep 0.5
}
delete_yes qmnotify
same "one notification package removed" '7:scecli\0\0' "$(value "$lsa" "Notification Packages")"
delete_yes 'C:\qm\a.dll'
same "one AppInit DLL removed" '1:C:\qm\b.dll\0' "$(value "$windows" AppInit_DLLs)"
delete_yes 'C:\qm\dbg.exe -p'
same "the debugger value removed" 'absent (2)' "$(value "$ifeo" Debugger)"
wine reg query "$ifeo" >/dev/null 2>&1 && check "the program's key stays" ok || check "the program's key stays" "key gone"
same "the monitor stays" '1:C:\qm\mon.exe\0' "$(value "$silent" MonitorProcess)"
delete_yes qmmon.dll
same "the print monitor's driver removed" 'absent (2)' "$(value "$monitor" Driver)"
out=$(run_probe dump)
for entry in qmnotify 'C:\qm\a.dll' 'C:\qm\dbg.exe -p' qmmon.dll; do
  grep -qF "row=$entry|" <<<"$out" && check "$entry gone from the list" "still listed"
done
expect "the rest listed" "$out" "row=scecli|LSA notification package|$sys\\scecli.dll|$lsa|Notification Packages" \
  "row=C:\\qm\\b.dll|AppInit DLL$not_loaded|C:\\qm\\b.dll|$windows|AppInit_DLLs"

# ---- A value another program changes while the question is open is left alone
run_probe select-row "$tab" "$(row_of 'qmboot /x')" >/dev/null
run_probe menu "$tab" $delete_command >/dev/null
run_probe dialog Confirm 10000 "(leave it open)" >/dev/null
import_reg <<EOF2
[$session]
"BootExecute"=hex(7):$(multi "autocheck autochk *" evil.exe "qmboot /x")
EOF2
run_probe dialog Confirm 5000 "&Yes" >/dev/null
out=$(run_probe dialog Error 10000 OK)
expect "changed meanwhile" "$out" 'dialog="qmboot /x" was not deleted: the value BootExecute changed since it was listed.'
same "changed meanwhile: nothing written" '7:autocheck autochk *\0evil.exe\0qmboot /x\0\0' "$(value "$session" BootExecute)"
expect "changed meanwhile: the list shows it" "$(run_probe rows "$tab")" \
  "row=evil.exe|BootExecute|$sys\\evil.exe|$session|BootExecute"
# Asked again, the extra program goes, and the stock one and the other stay as stored.
delete_yes 'qmboot /x'
same "one BootExecute program removed" '7:autocheck autochk *\0evil.exe\0\0' "$(value "$session" BootExecute)"
delete_yes 'C:\qm\mon.exe'
same "the monitor value removed" 'absent (2)' "$(value "$silent" MonitorProcess)"

# ---- DLLs named in letters no ANSI code page holds together: one goes, the other stays as stored
args="$artifacts/probe-args.txt"
printf '%s\n' set-value "$windows" AppInit_DLLs 'C:\qm\Жук.dll  C:\qm\中文😀.dll' > "$args"
run_probe args-from "$(winepath -w "$args")" >/dev/null
run_probe select-tab 0 >/dev/null
run_probe select-tab "$tab" >/dev/null
expect "other letters listed" "$(run_probe rows "$tab")" \
  "row=C:\\qm\\Жук.dll|AppInit DLL$not_loaded|C:\\qm\\Жук.dll|$windows|AppInit_DLLs" \
  "row=C:\\qm\\中文😀.dll|AppInit DLL$not_loaded|C:\\qm\\中文😀.dll|$windows|AppInit_DLLs"
delete_yes 'C:\qm\Жук.dll'
same "other letters: one DLL removed" '1:C:\qm\中文😀.dll\0' "$(value "$windows" AppInit_DLLs)"
stop_program

put_back
finish
