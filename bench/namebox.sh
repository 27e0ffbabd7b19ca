#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times the name box's answers to assistive requests over AT-SPI for names from 100 characters to
# the box's limit: the extents of the whole name and of its second half, one character's extents,
# and the offset at a point, each request once, with up to a minute for an answer; and the
# program's resident memory after each name's requests.
#   bash bench/namebox.sh [build folder]     (build/bench/program, which bench/run.sh makes)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/desktop/atspi-session.sh
source "$here/../tests/desktop/atspi-session.sh"

if [ "${1:-}" = --in-session ]; then
    start_accessibility_bus
    screen_reader_on
    QT_QPA_PLATFORM=xcb "$2" &
    pid=$!
    /usr/bin/python3 -B "$here/namebox.py" "$pid"
    kill -TERM "$pid"
    wait "$pid" || true
    exit 0
fi

find_program_in "${1:-$here/../build/bench/program}"
need_tools Xvfb
make_work_folder
start_xvfb
in_bus_session "${BASH_SOURCE[0]}" --in-session "$program"
