#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Windows build of windows/build.sh under Wine, on a private X display with a window
# manager: runs its tests with CTest, then unpacks the zip into an empty folder and runs the program
# from there alone. It checks the executable's subsystem and resources, the window's title and
# client size, a run typed and timed, the local time shown, and Quit's exit status, and takes
# docs/screenshot-windows-wine.png. Then check-uia.sh reads the window as a screen reader does,
# check-look.sh checks and shows the Windows 10 and 11 looks, light and dark, and
# check-installer.sh checks the MSI. Exits non-zero if any check fails. On Debian 12 it runs in the
# Debian 13 root, where Wine 10 is, and copies the screenshots out.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# On Debian 12, in the Debian 13 root where build.sh built it; the screenshots come back out.
if ! on_debian13; then
    run_in_debian13 "${BASH_SOURCE[0]}" "$@"
    for picture in "$debian13_copy"/docs/screenshot-windows-*.png; do
        as_user cp "$picture" "$root/docs/"
    done
    exit "$debian13_status"
fi

install_missing "$root/scripts/build-packages.txt" "$windows/packages.txt"
build_dir=$root/build/windows
zip=$build_dir/$(cat "$build_dir/package-name" 2>/dev/null).zip
[ -f "$zip" ] || { echo "No Windows zip in $build_dir: run scripts/build-windows.sh" >&2; exit 1; }
make_wine_prefix

# Wine's system zone follows the Unix TZ: one with daylight saving, for the clock's checks.
export TZ=Europe/Berlin
work=$(as_user mktemp -d)
start_desktop
# Wine's server and the X server may have ended already: their failing to stop must not fail the
# check, which errexit would make it do from inside the trap.
trap 'as_wine_user "$wineserver" -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT

echo "== Tests under Wine"
(cd "$build_dir" && as_user env TZ="$TZ" DISPLAY="$DISPLAY" ctest --output-on-failure --timeout 300) ||
    failures=$((failures + 1))

echo "== $(basename "$zip"), unpacked alone"
check "the zip at most 7.5 MiB ($(stat -c %s "$zip") bytes)" test "$(stat -c %s "$zip")" -le $((15 << 19))
as_user unzip -q "$zip" -d "$work"
folder=$(echo "$work"/qvr-stopwatch-*-windows-x64)
exe=$folder/qvr-stopwatch.exe
version=$(basename "$folder" | cut -d- -f3)
check "a GUI-subsystem executable" \
    grep -q 'Subsystem.*Windows GUI' <(x86_64-w64-mingw32-objdump -p "$exe")
resources=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n '/The .rsrc Resource Directory/,$p')
# Resource types are the directory's first level of entries: 14 icon groups, 16 version information.
check "an icon group among its resources" grep -Eq '^[0-9a-f]+   Entry: ID: 0x00000e,' <<<"$resources"
check "version information among its resources" \
    grep -Eq '^[0-9a-f]+   Entry: ID: 0x000010,' <<<"$resources"
# Names the binaries that still carry debugging information.
with_debug_information() {
    local binary
    find "$1" -iname '*.exe' -o -iname '*.dll' | sort | while read -r binary; do
        if x86_64-w64-mingw32-objdump -h "$binary" | grep -q ' \.debug_'; then
            basename "$binary"
        fi
    done
}
check "no debugging information in the executable or any DLL" \
    same "$(with_debug_information "$folder")" ""
check "version $version among its strings" grep -qx "$version" <(strings -el "$exe")
qt_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev | sed 's/[+~-].*//')
check "Qt6Core.dll's version information says $qt_version" \
    grep -qxF "$qt_version.0" <(strings -el "$folder/Qt6Core.dll" | grep -A1 -x FileVersion)
check "the modern Windows style shipped (styles/qmodernwindowsstyle.dll)" \
    test -f "$folder/styles/qmodernwindowsstyle.dll"

log=$work/ticks.log
# Workaround: Wine (10, in Debian 13) hands the Unix TZ on to Windows programs, whose C runtime
# would read "Europe/Berlin" in its own syntax and get it wrong. A Windows user has no TZ, so cmd
# clears it, and the program follows the system's zone as it does for them. Can go when this check's
# current time passes with TZ left to the program.
(cd "$folder" && as_wine_user env DISPLAY="$DISPLAY" TZ="$TZ" \
    QVR_STOPWATCH_TICK_LOG="Z:${log//\//\\}" "$wine" cmd /c 'set TZ=& qvr-stopwatch.exe') &
stopwatch=$!
window=$(stopwatch_window)
sleep 2
check "title '  QVR Stop Watch'" same "$(xdotool getwindowname "$window")" "  QVR Stop Watch"
check "client area 472 x 404" same "$(client_size "$window")" 472x404

xdotool type --delay 80 'Acme'
xdotool key Return
sleep 4.5
# Written in Windows' text mode, with CR LF line ends.
tr -d '\r' <"$log" >"$log.txt"
check "title is the name and the suffix" same "$(xdotool getwindowname "$window")" \
    "Acme            Zembo's QVR Stopwatch "
as_user import -frame -window "$window" "$root/docs/screenshot-windows-wine.png"
check "the total counts 00:00:01, 00:00:02, 00:00:03" \
    same "$(awk '{ print $3 }' "$log.txt" | head -n 3 | paste -sd ' ')" "00:00:01 00:00:02 00:00:03"
# Each refresh comes just after the second it shows begins.
shown_wrong=0
while read -r ms shown _; do
    [ "$(date -d "@$((ms / 1000))" +%T)" = "$shown" ] || shown_wrong=$((shown_wrong + 1))
done <"$log.txt"
check "the current time is the $TZ time at each of $(wc -l <"$log.txt") refreshes" same "$shown_wrong" 0

xdotool key Tab Tab space # from Stop, past Clear, to Quit
status=0
wait $stopwatch || status=$?
check "Quit ends it with status 0" same "$status" 0
verdict "zip" || true

bash "$windows/check-uia.sh" "$folder" || failures=$((failures + 1))
bash "$windows/check-look.sh" "$folder" || failures=$((failures + 1))
bash "$windows/check-installer.sh" || failures=$((failures + 1))
exit $((failures > 0))
