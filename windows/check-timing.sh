#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the timing core and its tests for 64-bit Windows with MinGW-w64, without Qt, and runs
# them under Wine with CTest: the Windows clock path (_tzset, localtime_s), a time-zone change
# while running, and the system's own zone in winter and summer. CI runs it; it needs no display.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing "$windows/timing-packages.txt"
build_dir=$root/build/windows-timing
# A prefix of its own, made afresh when missing; the tests need nothing in it.
export WINEPREFIX=$build_dir/wine
make_wine_prefix >/dev/null 2>&1

# Linked statically, so that the tests need no MinGW DLLs beside them.
build windows-timing -DCMAKE_TOOLCHAIN_FILE="$windows/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Debug -DSTOPWATCH_WERROR=ON -DSTOPWATCH_TIMING_ONLY=ON \
    -DCMAKE_EXE_LINKER_FLAGS=-static \
    -DCMAKE_CROSSCOMPILING_EMULATOR="env;WINEPREFIX=$WINEPREFIX;WINEDEBUG=$WINEDEBUG;WINEDLLOVERRIDES=$WINEDLLOVERRIDES;$wine"
cd "$build_dir"
# Wine's system zone follows the Unix TZ: one with daylight saving, for the winter and summer case.
as_user env TZ=Europe/Berlin ctest --output-on-failure --timeout 300
