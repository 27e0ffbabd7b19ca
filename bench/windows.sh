#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Benchmarks the Windows program beside the floor (bench/floor) built with the same Qt for Windows
# and laid out and packed the same way, both run under the same Wine on a private X display with no
# window manager: start-up, memory, CPU time and context switches while timing, paused and never
# started, and the size of the zip, the MSI and the unpacked folder. bench/run.sh --windows runs it.
#
#   bash bench/windows.sh            full run; writes the Windows part of docs/PERFORMANCE.md
#   bash bench/windows.sh --quick    short run; writes bench/results/windows-quick/PERFORMANCE.md
#
# It builds the Windows program first (windows/build.sh, which builds Qt for Windows where it is not
# cached). On Debian 12 it then runs itself in the Debian 13 root, where Wine 10 is, and the
# measurements come back out into bench/results/.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../windows/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../windows/lib.sh"
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

mode=full runs=20 phase_seconds=60 measure_only=no
for argument; do
    case $argument in
    --quick) mode=quick runs=10 phase_seconds=15 ;;
    --measure-only) measure_only=yes ;; # the part that runs in the Debian 13 root
    *)
        echo "usage: bash bench/run.sh --windows [--quick]" >&2
        exit 2
        ;;
    esac
done
# On Debian 12 the measurements run in the Debian 13 root: the whole script runs again as root
# first, so that it goes into the root with --measure-only rather than measuring here.
if [ "$measure_only" = no ] && ! on_debian13; then
    as_root_for_debian13 "${BASH_SOURCE[0]}" "$@"
fi
results=bench/results/windows-$mode
out=$root/$results
began=${STOPWATCH_BENCH_BEGAN:-$(date +%s)}

report() {
    local docs=$root/docs/PERFORMANCE.md
    [ "$mode" = quick ] && docs=$out/PERFORMANCE.md
    install_missing <(echo python3)
    (cd "$root/bench" && as_user /usr/bin/python3 -B -m unittest -q test_report)
    as_user /usr/bin/python3 -B "$root/bench/report_windows.py" "$out" "$docs" "$mode" \
        "$(($(date +%s) - began))"
}

if [ "$measure_only" = no ]; then
    bash "$windows/build.sh"
    if ! on_debian13; then
        export STOPWATCH_BENCH_BEGAN=$began
        passed_settings+=(STOPWATCH_BENCH_BEGAN)
        run_in_debian13 "${BASH_SOURCE[0]}" --measure-only "$@"
        [ "$debian13_status" -eq 0 ] || exit "$debian13_status"
        as_user rm -rf "$out"
        as_user mkdir -p "$root/bench/results"
        as_user cp -r --preserve=timestamps "$debian13_copy/$results" "$out"
        report
        exit 0
    fi
fi

install_missing "$root/scripts/build-packages.txt" "$windows/packages.txt" \
    "$root/bench/packages.txt"
as_user rm -rf "$out"
as_user mkdir -p "$out"
export CMAKE_BUILD_PARALLEL_LEVEL=2
make_wine_prefix

# The launcher, for this machine.
tools=$root/build/bench/tools
[ -f "$tools/CMakeCache.txt" ] ||
    as_user cmake -S "$root/bench" -B "$tools" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
as_user cmake --build "$tools" --target maptime

# The floor for Windows, with the same Qt and compiler, laid out as the program is: its executable
# takes the program's place in a copy of the program's folder, so that the same commands pack both,
# and the DLLs it does not load are left out, as windeployqt would leave them.
floor_build=$root/build/windows-floor
[ -f "$floor_build/CMakeCache.txt" ] ||
    as_user cmake -S "$root/bench" -B "$floor_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF >/dev/null
as_user cmake --build "$floor_build" --target floor
name=$(cat "$root/build/windows/package-name")
program_folder=$root/build/windows/stage/$name
floor_folder=$floor_build/stage/floor-windows-x64
as_user rm -rf "$floor_folder"
as_user mkdir -p "$(dirname "$floor_folder")"
as_user cp -r "$program_folder" "$floor_folder"
as_user x86_64-w64-mingw32-strip -o "$floor_folder/qvr-stopwatch.exe" "$floor_build/floor.exe"

# The DLLs beside a folder's executable that it and the plugins load, directly or through each
# other, by their file names.
loaded() {
    local folder=$1 file dll
    local -A present=() seen=()
    for file in "$folder"/*.dll; do present[$(basename "${file,,}")]=$(basename "$file"); done
    local queue=("$folder/qvr-stopwatch.exe" "$folder"/*/*.dll)
    while [ ${#queue[@]} -gt 0 ]; do
        file=${queue[0]}
        queue=("${queue[@]:1}")
        while read -r dll; do
            dll=${present[${dll,,}]:-}
            if [ -z "$dll" ] || [ -n "${seen[$dll]:-}" ]; then continue; fi
            seen[$dll]=1
            queue+=("$folder/$dll")
        done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
    done
    printf '%s\n' "${!seen[@]}"
}
needed=$(loaded "$program_folder")
for dll in "$program_folder"/*.dll; do
    grep -qxF "$(basename "$dll")" <<<"$needed" ||
        echo "The program's folder holds $(basename "$dll"), which nothing loads" >&2
done
needed=$(loaded "$floor_folder")
for dll in "$floor_folder"/*.dll; do
    grep -qxF "$(basename "$dll")" <<<"$needed" || as_user rm "$dll"
done
bash "$windows/package.sh" --staged "$floor_folder" "$floor_build" "$root/build/windows" >/dev/null

# sizes WHO FOLDER PACKED: the zip, the MSI (PACKED.zip, PACKED.msi), the folder, and each file in
# it.
sizes() {
    {
        echo "zip $(stat -c %s "$3.zip")"
        echo "msi $(stat -c %s "$3.msi")"
        echo "folder $(find "$2" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')"
    } >"$out/size-$1.txt"
    (cd "$2" && find . -type f -printf '%s %P\n' | sort -k2) >"$out/files-$1.txt"
}
sizes program "$program_folder" "$root/build/windows/$name"
sizes floor "$floor_folder" "$floor_build/$(basename "$floor_folder")"
{
    echo "wine $("$wine" --version)"
    echo "qt $(head -n 1 "$qt/qvr-stopwatch-qt.txt")"
    echo "compiler $(x86_64-w64-mingw32-g++-posix -dumpfullversion)"
    echo "debian $(cat /etc/debian_version)"
} >"$out/versions.txt"

# A private display with no window manager, as for the Linux figures. The pointer rests in a
# corner, away from where the windows appear: while it is over a window, Wine asks the X server
# where it is some 30 times a second (seen under Wine 10 with the floor, 61 context switches a
# second against 30), which no program of ours can change.
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb=$!
read -r display <&3
export DISPLAY=:$display
xdotool mousemove 1279 1023
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    for pid in $(jobs -p); do kill "$pid" 2>/dev/null || true; done
    kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT

declare -A executable=([program]="$program_folder/qvr-stopwatch.exe"
    [floor]="$floor_folder/qvr-stopwatch.exe")

# The first start after Wine's server has ended starts the server and Wine's own services too.
load cold
echo "== start-up: a cold start each, then $runs runs each with Wine's server running"
for who in program floor; do
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w
    "$tools/maptime" "$wine" "${executable[$who]}" >"$out/startup-cold-$who.txt"
done
# Started afresh and kept running, with the services the first program starts, until the end.
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
"$wineserver" -p
load start-up
"$tools/maptime" "$wine" "${executable[program]}" >/dev/null
"$tools/maptime" "$wine" "${executable[floor]}" >/dev/null
for _ in $(seq "$runs"); do
    "$tools/maptime" "$wine" "${executable[program]}" >>"$out/startup-program.txt"
    "$tools/maptime" "$wine" "${executable[floor]}" >>"$out/startup-floor.txt"
done

server=$(pgrep -n -x 'wineserver(64)?')

# phase NAME PRESSES WHO: starts WHO alone (Wine's server serves every Windows process, so its cost
# is counted with one program at a time), presses Enter PRESSES times, and takes the process's and
# the server's CPU time and context switches over the phase.
phase() {
    local name=$1 presses=$2 who=$3 pid window
    echo "== $name ($who): ${phase_seconds} s"
    load "$name-$who"
    "$wine" "${executable[$who]}" 2>>"$out/programs.log" &
    pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
    sleep 2
    grep -E '^Vm(RSS|HWM)' "/proc/$pid/status" >"$out/memory-$name-$who.txt"
    for _ in $(seq "$presses"); do
        # xdotool complains that the focus is the pointer's root, which is so with no window manager.
        xdotool key --window "$window" Return 2>/dev/null
        sleep 0.5
    done
    sleep 1
    snapshot "$pid" >"$out/cost-$name-$who-before.txt"
    snapshot "$server" >"$out/server-$name-$who-before.txt"
    sleep "$phase_seconds"
    snapshot "$pid" >"$out/cost-$name-$who-after.txt"
    snapshot "$server" >"$out/server-$name-$who-after.txt"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}
for name_presses in idle:0 running:1 stopped:2; do
    for who in program floor; do
        phase "${name_presses%:*}" "${name_presses#*:}" "$who"
    done
done
load end

[ "$measure_only" = yes ] || report
