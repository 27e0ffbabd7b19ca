#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts the stopwatch on a private X display and D-Bus session with the accessibility bus, and
# reads its window as a screen reader would (check-accessibility.py). Usage:
#   scripts/check-accessibility.sh [build folder]      (default: build/pkg)
# Exits 0 when everything is there, 1 when something is missing, 77 when a tool is missing.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ "${1:-}" = --in-session ]; then
    program=$2
    # Asking for the address starts the accessibility bus through D-Bus activation and returns
    # once it is up, so the program finds it when it asks the session bus for it.
    dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null
    # Given an address directly, Qt 6.4 never registers with the bus: it has to look it up.
    unset AT_SPI_BUS_ADDRESS
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$program" &
    pid=$!
    status=0
    /usr/bin/python3 "$here/check-accessibility.py" || status=$?
    kill -TERM "$pid"
    exit_code=0
    wait "$pid" || exit_code=$?
    if [ "$exit_code" -ne 0 ]; then
        echo "MISSING program exit status 0 after SIGTERM (got $exit_code)"
        status=1
    fi
    exit "$status"
fi

root=$(cd "$here/.." && pwd)
build=${1:-$root/build/pkg}
program=$(cd "$build" && pwd)/window/qvr-stopwatch
if [ ! -x "$program" ]; then
    echo "no program at $program: build it first" >&2
    exit 2
fi

for tool in Xvfb dbus-run-session dbus-send /usr/libexec/at-spi-bus-launcher /usr/bin/python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed" >&2
        exit 77
    fi
done
if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "skipped: python3-pyatspi is not installed" >&2
    exit 77
fi

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and reports it, so parallel runs never collide.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"

# The buses' routine messages are left out.
dbus-run-session -- "${BASH_SOURCE[0]}" --in-session "$program" 2> >(
    grep -v -e 'Failed to set fd limit' -e 'XDG_RUNTIME_DIR' -e 'ctivat' >&2) |
    { grep -v 'SpiRegistry daemon is running' || true; }
