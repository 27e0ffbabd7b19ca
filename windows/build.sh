#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the stopwatch and its tests for 64-bit Windows into build/windows, then makes what a
# Windows user installs (windows/package.sh): build/windows/qvr-stopwatch-<version>-windows-x64.zip
# and .msi, signed when a certificate is given (see package.sh). The first run also builds Qt for
# Windows from Debian's source into a cache folder (an hour or more on two cores); later runs
# reuse it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing "$root/scripts/build-packages.txt" "$windows/packages.txt"
bash "$windows/qt.sh" "$cache"
make_wine_prefix

# The build runs its own tool (the picture converter) and CTest its tests through Wine, finding
# Qt's DLLs, and MinGW's beside them, on WINEPATH.
emulator="env;WINEPREFIX=$WINEPREFIX;WINEDEBUG=$WINEDEBUG;WINEDLLOVERRIDES=$WINEDLLOVERRIDES"
emulator+=";WINEPATH=$qt/bin;$wine"
build windows -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSTOPWATCH_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator"
bash "$windows/package.sh" "$root/build/windows" "$root/build/windows"
