#!/usr/bin/env bash
# Creates the project's Wine prefix once, with the settings that keep tests
# from hanging: no crash dialog, unmanaged windows (no 2 s per closed window
# without a window manager), and user folders that stay inside the prefix.
#   prefix.sh PREFIX [win32|win64]
# A win64 prefix is 64-bit Windows with its 32-bit subsystem, made by the
# 64-bit loader (/usr/bin/wine is the 32-bit one).
set -euo pipefail
prefix="$1" arch="${2:-win32}"
wine=wine
[ "$arch" = win64 ] && wine=/usr/lib/wine/wine64
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
[ -f "$prefix/.quellmark-ready" ] && exit 0
echo "== creating the Wine prefix $prefix"
rm -rf "$prefix"
mkdir -p "$prefix"
"$wine" wineboot --init >/dev/null 2>&1
wineserver -w
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
for link in "$prefix"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link"; mkdir -p "$link"; fi
done
touch "$prefix/.quellmark-ready"
