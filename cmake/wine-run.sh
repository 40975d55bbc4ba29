#!/usr/bin/env bash
# Runs a cross-built Windows program under the project's own Wine prefix.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX="${QM_WINEPREFIX:-$here/../build/wineprefix}"
export WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
exec wine "$@"
