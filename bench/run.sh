#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Benchmarks the stopwatch beside a bare Qt Widgets program of the same shape (the floor): start-up
# time, memory, CPU time and context switches while timing and while paused, and how closely the
# display's refreshes follow the wall clock's seconds with both cores busy.
#
#   bash bench/run.sh            full run, about 16 minutes; writes docs/PERFORMANCE.md
#   bash bench/run.sh --quick    short run, about 4 minutes; writes bench/results/quick/ only
#   bash bench/run.sh --windows [--quick]
#                                the Windows program beside the floor under Wine: bench/windows.sh
set -euo pipefail
for argument; do
    if [ "$argument" = --windows ]; then
        others=()
        for other; do [ "$other" = --windows ] || others+=("$other"); done
        exec bash "$(dirname "${BASH_SOURCE[0]}")/windows.sh" "${others[@]}"
    fi
done
# shellcheck source-path=SCRIPTDIR source=../scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

mode=full startup_runs=20 phase_seconds=60 precision_seconds=600
if [ "${1:-}" = --quick ]; then
    mode=quick startup_runs=10 phase_seconds=15 precision_seconds=120
elif [ $# -gt 0 ]; then
    echo "usage: bash bench/run.sh [--quick | --windows [--quick]]" >&2
    exit 2
fi
began=$(date +%s)
out="$root/bench/results/$mode"
rm -rf "$out"
mkdir -p "$out"

install_missing "$root/scripts/build-packages.txt" "$root/bench/packages.txt"
export CMAKE_BUILD_PARALLEL_LEVEL=2
build bench/program -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
tools="$root/build/bench/tools"
[ -f "$tools/CMakeCache.txt" ] ||
    as_user cmake -S "$root/bench" -B "$tools" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
as_user cmake --build "$tools"
program="$root/build/bench/program/window/qvr-stopwatch"
floor="$tools/floor"

# A private display, so nothing else draws or takes the focus meanwhile.
export DISPLAY=:91 QT_QPA_PLATFORM=xcb
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
bus_pid=
# Only this shell's own jobs and its bus are ended, so nothing else on the machine is touched.
cleanup() {
    for pid in $(jobs -p) $bus_pid; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT
# Without a session bus Qt would autolaunch one per display and leave it behind.
bus=$(dbus-daemon --config-file="$root/bench/session-bus.conf" --fork \
    --print-address=1 --print-pid=1)
bus_pid=$(sed -n 2p <<<"$bus")
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
export DBUS_SESSION_BUS_ADDRESS
# An accessibility bus with accessibility off, as on a desktop where no screen reader runs: a
# program that joins the bus regardless pays for it here.
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$out/a11y-bus.log" 2>&1 &
a11y_off() {
    for status in IsEnabled ScreenReaderEnabled; do
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
            org.freedesktop.DBus.Properties.Set string:org.a11y.Status "string:$status" \
            variant:boolean:false >/dev/null 2>&1 || return 1
    done
}
for _ in $(seq 50); do
    a11y_off && break
    sleep 0.1
done
a11y_off
for _ in $(seq 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done
if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "Xvfb could not start on $DISPLAY:" >&2
    cat "$out/xvfb.log" >&2
    exit 1
fi

# Starts a program in the background; sets $pid and $window.
launch() {
    "$@" 2>>"$out/programs.log" &
    pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" | head -n 1)
}

# Presses Enter in a window; synthetic key events reach it whether or not it has the focus.
press_enter() {
    xdotool key --window "$1" Return 2>/dev/null
}

load start-up
echo "== start-up: $startup_runs runs each, after a warm-up"
"$tools/maptime" "$program" >/dev/null
"$tools/maptime" "$floor" >/dev/null
for _ in $(seq "$startup_runs"); do
    "$tools/maptime" "$program" >>"$out/startup-program.txt"
    "$tools/maptime" "$floor" >>"$out/startup-floor.txt"
done

declare -A executable=([program]="$program" [floor]="$floor")

# phase NAME PRESSES FOCUS WHO...: starts each of WHO (program, floor) fresh and side by side,
# presses Enter in each window PRESSES times (0 leaves the timer never started, 1 starts it, 2
# starts and stops it), gives the one window the focus if FOCUS is yes, and takes each process's
# CPU time and context switches over the phase.
phase() {
    local name=$1 presses=$2 focus=$3 who
    shift 3
    local -A pids windows
    echo "== $name ($*): ${phase_seconds} s"
    load "$name-$1"
    for who; do
        launch "${executable[$who]}"
        pids[$who]=$pid windows[$who]=$window
    done
    sleep 2
    for who; do
        grep -E '^Vm(RSS|HWM)' "/proc/${pids[$who]}/status" >"$out/memory-$name-$who.txt"
    done
    # With no window manager a window is active only when given the focus.
    if [ "$focus" = yes ]; then xdotool windowfocus --sync "${windows[$1]}"; fi
    for _ in $(seq "$presses"); do
        for who; do press_enter "${windows[$who]}"; done
        sleep 0.5
    done
    sleep 1
    for who; do snapshot "${pids[$who]}" >"$out/cost-$name-$who-before.txt"; done
    sleep "$phase_seconds"
    for who; do snapshot "${pids[$who]}" >"$out/cost-$name-$who-after.txt"; done
    for who; do kill "${pids[$who]}"; done
    wait "${pids[@]}" 2>/dev/null || true
}

phase idle 0 no program floor
phase running 1 no program floor
phase stopped 2 no program floor
# An active window with the focus in the name box, as it is just after start on a desktop, so
# whatever blinks there is counted; one at a time, as only one window can have the focus.
phase active 0 yes program
phase active 0 yes floor

load precision
echo "== refresh precision: ${precision_seconds} s with both cores busy"
QVR_STOPWATCH_TICK_LOG="$out/ticks.log" launch "$program"
program_pid=$pid
stress-ng --cpu 2 --timeout "$((precision_seconds + 10))s" --quiet &
stress=$!
sleep 2
press_enter "$window"
sleep "$precision_seconds"
kill "$program_pid" "$stress"
wait "$program_pid" "$stress" 2>/dev/null || true
load end

(cd "$root/bench" && /usr/bin/python3 -B -m unittest -q test_report)
docs="$root/docs/PERFORMANCE.md"
[ "$mode" = quick ] && docs="$out/PERFORMANCE.md"
/usr/bin/python3 -B "$root/bench/report.py" "$out" "$docs" "$mode" "$(($(date +%s) - began))"
