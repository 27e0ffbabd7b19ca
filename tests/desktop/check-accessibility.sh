#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts the stopwatch on a private X display and D-Bus session with the accessibility bus, turned
# on only once the window shows, and reads its window as a screen reader would
# (check-accessibility.py). Usage:
#   tests/desktop/check-accessibility.sh [build folder]
# The build folder is build/release, which scripts/start.sh makes, unless one is given.
# Exits 0 when everything is there, 1 when something is missing, 77 when a tool is missing.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/desktop/atspi-session.sh
source "$here/atspi-session.sh"

if [ "${1:-}" = --in-session ]; then
    program=$2
    start_accessibility_bus
    QT_QPA_PLATFORM=xcb "$program" &
    pid=$!
    # Once the window shows, the program has read the session's accessibility status, which is
    # off: the check turns it on as a screen reader does.
    timeout 10 xdotool search --sync --onlyvisible --pid "$pid" >/dev/null
    status=0
    /usr/bin/python3 -B "$here/check-accessibility.py" "$pid" || status=$?
    kill -TERM "$pid"
    await_exit "$pid"
    if [ "$exit_code" != 0 ]; then
        echo "MISSING program exit status 0 after SIGTERM (got $exit_code)"
        status=1
    fi
    exit "$status"
fi

find_program_in "${1:-$here/../../build/release}"
need_tools Xvfb xdotool
make_work_folder

start_xvfb

in_bus_session "${BASH_SOURCE[0]}" --in-session "$program"
