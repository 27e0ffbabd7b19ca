#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the stopwatch and its tests for 64-bit Windows into build/windows, then makes what a
# Windows user installs (windows/package.sh): build/windows/qvr-stopwatch-<version>-windows-x64.zip
# and .msi, signed when a certificate is given (see package.sh). The first run also builds Qt 6.8
# for Windows from Debian 13's source into a cache folder (README.md says how long); later
# runs reuse it. On Debian 12 it runs in a Debian 13 root (see run_in_debian13 in lib.sh), and
# copies the zip and the MSI out of it into build/windows.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

if ! on_debian13; then
    run_in_debian13 "${BASH_SOURCE[0]}" "$@"
    [ "$debian13_status" -eq 0 ] || exit "$debian13_status"
    built=$debian13_copy/build/windows
    name=$(cat "$built/package-name")
    as_user mkdir -p "$root/build/windows"
    as_user cp "$built/package-name" "$built/$name.zip" "$built/$name.msi" "$root/build/windows/"
    echo "Copied out of the Debian 13 root into $root/build/windows:"
    ls -l "$root/build/windows/$name.zip" "$root/build/windows/$name.msi"
    exit 0
fi

install_missing "$root/scripts/build-packages.txt" "$windows/packages.txt"
bash "$windows/qt.sh" "$cache"
make_wine_prefix

# The build runs its own tool (the picture converter) and CTest its tests through Wine, finding
# Qt's DLLs, and MinGW's beside them, on WINEPATH.
emulator="env;WINEPREFIX=$WINEPREFIX;WINEDEBUG=$WINEDEBUG;WINEDLLOVERRIDES=$WINEDLLOVERRIDES"
emulator+=";WINEPATH=$qt/bin;$wine"
# Workaround: Debian's enable_skip_plugins.patch (in Debian 13's qt6-base 6.8.2, which apt-get
# source applies) leaves Qt's plugins out of find_package by default, and so does the Qt built from
# it; the package needs their targets. Can go when qt.sh builds from a qt6-base without that patch,
# or when the build finds the platform plugin's target without this option.
build windows -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSTOPWATCH_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" \
    -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF
bash "$windows/package.sh" "$root/build/windows" "$root/build/windows"
