#!/usr/bin/env bash
# Runs a cross-built Windows program under the project's own Wine prefix
# (QM_WINEPREFIX and QM_WINEARCH name another, such as the 64-bit one).
# /usr/bin/wine runs 32-bit and 64-bit programs alike in a 64-bit prefix.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX="${QM_WINEPREFIX:-$here/../build/wineprefix}"
export WINEARCH="${QM_WINEARCH:-win32}" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
exec wine "$@"
