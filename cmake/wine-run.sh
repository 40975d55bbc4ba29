#!/usr/bin/env bash
# Runs a cross-built Windows program under the project's own Wine prefix
# (QM_WINEPREFIX and QM_WINEARCH name another, such as the 64-bit one).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX="${QM_WINEPREFIX:-$here/../build/wineprefix}"
export WINEARCH="${QM_WINEARCH:-win32}" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
exec "$here/../tests/wine/bin/wine" "$@"
