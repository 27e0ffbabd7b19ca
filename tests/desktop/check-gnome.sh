#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the stopwatch as a native Wayland client of a private headless mutter, GNOME's compositor,
# which leaves the title bar to Qt, and uses the window through mutter's remote desktop interface
# as a user would (check-gnome.py): drags the title bar, clicks the maximise button, presses
# Super+Up and double-clicks the title. Only the drag may move the window. Usage:
#   tests/desktop/check-gnome.sh [build folder]
# The build folder is build/release, which scripts/start.sh makes, unless one is given.
# Exits 0 when all is right, 1 when something is wrong, 77 when a tool is missing.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/desktop/atspi-session.sh
source "$here/atspi-session.sh"

if [ "${1:-}" = --in-session ]; then
    program=$2 work=$3
    # mutter needs the session bus for its remote desktop interface, so it starts in here; without
    # Xwayland it takes no X display number that another program may be using.
    mutter --headless --wayland --no-x11 --virtual-monitor 1024x768 \
        --wayland-display "$WAYLAND_DISPLAY" >"$work/mutter.log" 2>&1 &
    servers=("$!")
    trap 'kill "${servers[@]}" 2>/dev/null || true' EXIT
    await_server "$work/mutter.log" test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
    QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 "$program" 2>"$work/client.log" &
    pid=$!
    status=0
    /usr/bin/python3 -B "$here/check-gnome.py" "$work/client.log" || status=$?
    # Its exit status is the wayland check's business; here it only has to end.
    kill -TERM "$pid" 2>/dev/null || true
    await_exit "$pid"
    [ "$status" -eq 0 ] || grep -v '^\[' "$work/client.log" | sed 's/^/NOTE    /' || true
    exit "$status"
fi

build=${1:-$here/../../build/release}
find_program_in "$build"
need_tools mutter
need_qt_wayland
make_work_folder

unset DISPLAY
export WAYLAND_DISPLAY=gnome-check
in_bus_session "${BASH_SOURCE[0]}" --in-session "$program" "$work"
