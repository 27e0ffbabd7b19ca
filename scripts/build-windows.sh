#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the stopwatch and its tests for 64-bit Windows into build/windows, and zips the
# program with the DLLs it needs: build/windows/qvr-stopwatch-<version>-windows-x64.zip. The first
# run also builds Qt for Windows from Debian's source into a cache folder (an hour or more on two
# cores); later runs reuse it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$root/scripts/windows-lib.sh"

install_missing "$root/scripts/build-packages.txt" "$root/scripts/windows-packages.txt"
bash "$root/scripts/qt-windows.sh" "$cache"
make_wine_prefix

# The build runs its own tool (the picture converter) and CTest its tests through Wine, finding
# Qt's DLLs, and MinGW's beside them, on WINEPATH.
emulator="env;WINEPREFIX=$WINEPREFIX;WINEDEBUG=$WINEDEBUG;WINEDLLOVERRIDES=$WINEDLLOVERRIDES"
emulator+=";WINEPATH=$qt/bin;$wine"
build windows -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSTOPWATCH_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator"
cd "$root/build/windows"
as_user cpack -G ZIP >/dev/null
ls -l "$root"/build/windows/qvr-stopwatch-*-windows-x64.zip
