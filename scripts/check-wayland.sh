#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the stopwatch as a native Wayland client of a private headless weston, with its own D-Bus
# session and accessibility bus, and drives it as a user would (check-wayland.py): reads the title,
# presses Start, reads the total a second later and presses Quit. Then checks what the program
# asked of the compositor: its application id, its title and its fixed size. Usage:
#   scripts/check-wayland.sh [build folder] [screenshot.png]      (default: build/pkg)
# Exits 0 when all is right, 1 when something is wrong, 77 when a tool is missing.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/atspi-session.sh
source "$here/atspi-session.sh"

# The values the program sent in the given xdg_toplevel request, from its protocol dump.
requests() { sed -n "s/.* -> xdg_toplevel@[0-9]*\.$2(\(.*\))\$/\1/p" "$1" | sort -u; }
expect_only() {
    local got
    got=$(requests "$1" "$2" | tr '\n' ' ')
    if [ "$got" = "$3 " ]; then
        echo "ok      every $2 was $3"
    else
        echo "MISSING every $2 $3, got: $got"
        status=1
    fi
}

if [ "${1:-}" = --in-session ]; then
    program=$2 app_id=$3 log=$4
    start_accessibility_bus
    QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 "$program" 2>"$log" &
    pid=$!
    status=0
    /usr/bin/python3 -B "$here/check-wayland.py" "$pid" "$app_id" "${@:5}" || status=$?
    # The driver presses Quit last; if it stopped before, the program is told to end.
    [ "$status" -eq 0 ] || kill -TERM "$pid" 2>/dev/null || true
    await_exit "$pid"
    if [ "$exit_code" = 0 ]; then
        echo "ok      program exit status 0 after Quit"
    else
        echo "MISSING program exit status 0 after Quit (got $exit_code)"
        status=1
    fi
    # Whatever Qt said besides the protocol dump.
    grep -v '^\[' "$log" | sed 's/^/NOTE    /' || true
    expect_only "$log" set_app_id "\"$app_id\""
    expect_only "$log" set_min_size "472, 404"
    expect_only "$log" set_max_size "472, 404"
    if requests "$log" set_title | grep -qxF '"  QVR Stop Watch"'; then
        echo "ok      set_title \"  QVR Stop Watch\" at start"
    else
        echo "MISSING set_title \"  QVR Stop Watch\" at start"
        status=1
    fi
    exit "$status"
fi

build=${1:-$here/../build/pkg}
find_program_in "$build"
need_tools weston weston-debug weston-screenshooter
if command -v qtpaths6 >/dev/null &&
    [ ! -e "$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforms/libqwayland-generic.so" ]; then
    echo "skipped: Qt's Wayland platform (qt6-wayland) is not installed" >&2
    exit 77
fi
# The desktop finds the icon through the desktop entry named by the application id.
desktop=$(find "$build/resources" -maxdepth 1 -name '*.desktop' -printf '%f\n' 2>/dev/null)
if [ "$(wc -w <<<"$desktop")" -ne 1 ]; then
    echo "no desktop entry in $build/resources (found: ${desktop:-none})" >&2
    exit 2
fi
screenshot=
[ -z "${2:-}" ] || screenshot=$(realpath "$2")
make_work_folder

# Without a display to fall back to, the program is a Wayland client or nothing.
unset DISPLAY
export WAYLAND_DISPLAY=wayland-check
# --debug lets weston-debug read the scene graph and weston-screenshooter take its picture.
weston --backend=headless-backend.so --use-pixman --width=800 --height=600 --no-config \
    --idle-time=0 --debug --socket="$WAYLAND_DISPLAY" >"$work/weston.log" 2>&1 &
servers+=("$!")
await_server "$work/weston.log" test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"

in_bus_session "${BASH_SOURCE[0]}" --in-session "$program" "${desktop%.desktop}" \
    "$work/client.log" ${screenshot:+"$screenshot"}
