#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Windows build of scripts/build-windows.sh under Wine, on a private X display with a
# window manager: runs its tests with CTest, then unpacks the zip into an empty folder and runs the
# program from there alone. It checks the executable's subsystem and resources, the window's title
# and client size, a run typed and timed, the local time shown, and Quit's exit status, and takes
# docs/screenshot-windows-wine.png. Exits non-zero if any check fails.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$root/scripts/windows-lib.sh"

install_missing "$root/scripts/build-packages.txt" "$root/scripts/windows-packages.txt"
build_dir=$root/build/windows
zip=$(echo "$build_dir"/qvr-stopwatch-*-windows-x64.zip)
[ -f "$zip" ] || { echo "No Windows zip in $build_dir: run scripts/build-windows.sh" >&2; exit 1; }
make_wine_prefix

failures=0
check() {
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
same() { [ "$1" = "$2" ] || { echo "  got '$1', expected '$2'"; return 1; }; }

# Wine's system zone follows the Unix TZ: one with daylight saving, for the clock's checks.
export TZ=Europe/Berlin
work=$(as_user mktemp -d)
start_desktop
trap 'as_wine_user "$wineserver" -k 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

echo "== Tests under Wine"
(cd "$build_dir" && as_user env TZ="$TZ" DISPLAY="$DISPLAY" ctest --output-on-failure --timeout 300) ||
    failures=$((failures + 1))

echo "== $(basename "$zip"), unpacked alone"
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
check "version $version among its strings" grep -qx "$version" <(strings -el "$exe")

log=$work/ticks.log
# Wine hands the Unix TZ on to Windows programs, whose C runtime would read "Europe/Berlin" in its
# own syntax and get it wrong. A Windows user has no TZ, so cmd clears it, and the program follows
# the system's zone as it does for them.
(cd "$folder" && as_wine_user env DISPLAY="$DISPLAY" TZ="$TZ" \
    QVR_STOPWATCH_TICK_LOG="Z:${log//\//\\}" "$wine" cmd /c 'set TZ=& qvr-stopwatch.exe') &
stopwatch=$!
window=$(as_user timeout 120 xdotool search --sync --onlyvisible --name 'QVR Stop Watch' | head -n 1)
sleep 2
check "title '  QVR Stop Watch'" same "$(xdotool getwindowname "$window")" "  QVR Stop Watch"
size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
check "client area 472 x 404" same "$size" 472x404

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

[ $failures -eq 0 ] && echo "All Windows checks passed." || echo "$failures Windows checks failed."
exit $((failures > 0))
