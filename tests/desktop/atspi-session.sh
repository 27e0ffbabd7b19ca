# SPDX-License-Identifier: MIT
# Shared by the checks that drive the stopwatch over AT-SPI: finding the program, skipping when a
# tool is missing, a scratch folder, and a D-Bus session of their own with the accessibility bus.
# shellcheck shell=bash

# Sets program to the stopwatch in the given build folder, or to the given program itself (an
# installed one); exits 2 when it has not been built.
find_program_in() {
    local dir
    if [ -f "$1" ]; then
        program=$1
        return 0
    fi
    dir=$(cd "$1" 2>/dev/null && pwd) || dir=$1
    program=$dir/window/qvr-stopwatch
    if [ ! -x "$program" ]; then
        echo "no program at $program: build it first" >&2
        exit 2
    fi
}

# Exits with CTest's skip code unless the given tools, the buses and pyatspi are installed.
need_tools() {
    for tool in "$@" dbus-run-session dbus-send /usr/libexec/at-spi-bus-launcher /usr/bin/python3; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is not installed" >&2
            exit 77
        fi
    done
    if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
        echo "skipped: python3-pyatspi is not installed" >&2
        exit 77
    fi
}

# Exits with CTest's skip code unless Qt's Wayland platform is installed.
need_qt_wayland() {
    if command -v qtpaths6 >/dev/null &&
        [ ! -e "$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforms/libqwayland-generic.so" ]; then
        echo "skipped: Qt's Wayland platform (qt6-wayland) is not installed" >&2
        exit 77
    fi
}

# Makes the scratch folder $work with a private runtime folder; at exit the display servers whose
# process ids are in $servers are stopped and the folder is removed.
servers=()
make_work_folder() {
    work=$(mktemp -d)
    trap stop_servers EXIT
    mkdir -m 700 "$work/runtime"
    export XDG_RUNTIME_DIR="$work/runtime"
}
# Waits up to ten seconds for the display server just started to be ready, which the given command
# tells; shows the server's log and exits when it does not become ready.
await_server() {
    local log=$1
    shift
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.1
    done
    echo "the display server did not start:" >&2
    cat "$log" >&2
    exit 1
}
# Starts a private X server on a free display (Xvfb picks it and reports it, so parallel runs
# never collide) and exports DISPLAY.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    servers+=("$!")
    await_server "$work/xvfb.log" test -s "$work/display"
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY
}
stop_servers() {
    for pid in "${servers[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}

# Runs the given command in a D-Bus session of its own; the buses' routine messages are left out.
in_bus_session() {
    dbus-run-session -- "$@" 2> >(
        grep -v -e 'Failed to set fd limit' -e 'XDG_RUNTIME_DIR' -e 'ctivat' >&2) |
        { grep -v 'SpiRegistry daemon is running' || true; }
}

# Inside the session: starts the accessibility bus, so the program finds it when it starts, with
# accessibility off, as on a desktop where no screen reader runs. The program is not told to be
# accessible: the session turns accessibility on as a screen reader does (screen_reader_on), or
# Orca does itself.
start_accessibility_bus() {
    # Asking for the address starts the bus through D-Bus activation and returns once it is up.
    dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null
    # Without the desktop's settings, the bus says accessibility is on.
    set_accessibility_status IsEnabled false
    set_accessibility_status ScreenReaderEnabled false
    # Workaround: given an address directly, Qt 6.4 never registers with the bus (6.8.2 checks
    # once its connection is made): it has to look it up. Can go when Qt 6.4 is no longer built
    # with; the desktop tests then pass with AT_SPI_BUS_ADDRESS left set.
    unset AT_SPI_BUS_ADDRESS
}

# Inside the session: tells the programs on it that a screen reader runs, as Orca does as it starts.
screen_reader_on() {
    set_accessibility_status ScreenReaderEnabled true
}

#   set_accessibility_status IsEnabled|ScreenReaderEnabled true|false
set_accessibility_status() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.freedesktop.DBus.Properties.Set string:org.a11y.Status "string:$1" \
        "variant:boolean:$2" >/dev/null
}

# Waits up to ten seconds for the given process to end and sets exit_code to its exit status, or to
# "hung" when it had to be killed. (Not in a command substitution: only this shell can wait.)
await_exit() {
    local state=
    for _ in $(seq 100); do
        state=$(awk '$1 == "State:" { print $2 }' "/proc/$1/status" 2>/dev/null) || true
        { [ -n "$state" ] && [ "$state" != Z ]; } || break
        sleep 0.1
    done
    exit_code=0
    if [ -n "$state" ] && [ "$state" != Z ]; then
        kill -KILL "$1"
        exit_code=hung
    fi
    local status=0
    wait "$1" || status=$?
    [ "$exit_code" = hung ] || exit_code=$status
}
