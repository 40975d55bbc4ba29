#!/usr/bin/env bash
# Creates the project's Wine prefix once, with the settings that keep tests
# from hanging: no crash dialog, unmanaged windows (no 2 s per closed window
# without a window manager), and user folders that stay inside the prefix.
#   prefix.sh PREFIX [win32|win64]
# A win64 prefix is 64-bit Windows, with its 32-bit subsystem where this
# machine runs 32-bit programs and without it where it does not (wineboot then
# says it cannot start syswow64\rundll32.exe, and the prefix works).
set -euo pipefail
prefix="$1" arch="${2:-win32}"
PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/bin:$PATH"
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
# A 64-bit prefix made where no 32-bit program ran has no 32-bit subsystem:
# where they run, it is made again with one.
ready=1
[ -f "$prefix/.quellmark-ready" ] || ready=0
if [ "$arch" = win64 ] && [ "${QM_NO_I386:-}" != 1 ] && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
  ready=0
fi
[ $ready -eq 1 ] && exit 0
if [ "$arch" = win32 ] && [ "${QM_NO_I386:-}" = 1 ]; then
  echo "== this machine runs no 32-bit programs: no 32-bit prefix can be made" >&2
  exit 1
fi
echo "== creating the Wine prefix $prefix"
rm -rf "$prefix"
mkdir -p "$prefix"
wine wineboot --init >"$prefix.log" 2>&1 || true
wineserver -w
# wineboot's exit code says nothing (it fails on a missing 32-bit subsystem
# and the prefix still works); its registry says whether it made one.
if [ ! -f "$prefix/system.reg" ]; then
  echo "== wineboot made no prefix in $prefix; what it said ($prefix.log):" >&2
  tail -n 20 "$prefix.log" >&2
  exit 1
fi
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
for link in "$prefix"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link"; mkdir -p "$link"; fi
done
touch "$prefix/.quellmark-ready"
