#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the stopwatch under the Orca screen reader, as a blind user would, and checks what Orca says
# (check-screen-reader.py). Everything runs on a private X display, in a D-Bus session of its own,
# with a speech server whose only voice writes each text to a file. Usage:
#   tests/desktop/check-screen-reader.sh [build folder]
# The build folder is build/release, which scripts/start.sh makes, unless one is given.
# Exits 0 when every line is heard as it must be, 1 when not, 77 when a tool is missing.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/desktop/atspi-session.sh
source "$here/atspi-session.sh"

if [ "${1:-}" = --in-session ]; then
    program=$2
    start_accessibility_bus
    speech-dispatcher --run-single --timeout 0 --config-dir "$work/speech" \
        --communication-method unix_socket --socket-path "$SPEECHD_SOCKET" \
        --log-dir "$work" >"$work/speech.out" 2>&1 &
    speech=$!
    # Runs the check with Orca started afresh; the driver asks Orca to end, and one that has not
    # is made to.
    with_orca() {
        orca --user-prefs "$work/orca" --debug-file "$work/orca.log" >>"$work/orca.out" 2>&1 &
        local orca=$!
        /usr/bin/python3 -B "$here/check-screen-reader.py" "$@" "$work" "$orca" || status=1
        kill -KILL "$orca" 2>/dev/null || true
        wait "$orca" 2>/dev/null || true
    }
    status=0
    # Orca first, as when the program is opened on a desktop where Orca runs.
    with_orca orca-first "$program"
    # The program first, with accessibility off, as when the session starts it before Orca. (The
    # Orca that ended leaves the status as it set it.)
    set_accessibility_status IsEnabled false
    set_accessibility_status ScreenReaderEnabled false
    QT_QPA_PLATFORM=xcb "$program" 2>>"$work/program.log" &
    pid=$!
    timeout 10 xdotool search --sync --onlyvisible --pid "$pid" >/dev/null
    with_orca program-first "$pid"
    kill -TERM "$pid"
    await_exit "$pid"
    if [ "$exit_code" != 0 ]; then
        echo "MISSING program exit status 0 after SIGTERM (got $exit_code)"
        status=1
    fi
    kill -TERM "$speech" 2>/dev/null || true
    wait "$speech" 2>/dev/null || true
    exit "$status"
fi

find_program_in "${1:-$here/../../build/release}"
need_tools Xvfb openbox xdotool orca speech-dispatcher
if ! /usr/bin/python3 -c 'import speechd' 2>/dev/null; then
    echo "skipped: python3-speechd is not installed" >&2
    exit 77
fi
# Orca refuses to start beside another of the same user's, and the user's own is not to be stopped.
if pgrep -u "$(id -u)" -x orca >/dev/null; then
    echo "skipped: Orca already runs for this user" >&2
    exit 77
fi
make_work_folder

# A home of its own: Orca starts with default settings and no set-up wizard, and the speech server
# and its audio library read their settings from here.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
    XDG_CACHE_HOME=$work/home/.cache
mkdir -p "$XDG_CONFIG_HOME" "$work/orca" "$work/speech/modules" "$XDG_RUNTIME_DIR/speech-dispatcher"
export SPEECHD_SOCKET=$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock
export SPEECHD_ADDRESS=unix_socket:$SPEECHD_SOCKET
# Workaround: speech-dispatcher (0.11.4 in Debian 12; Debian 13's runs the same way, not tried
# otherwise) insists on a sound device even for a module that only writes text; libao's null device
# takes the sound nobody hears. Can go when the screen-reader test passes without the .libao line.
echo default_driver=null >"$HOME/.libao"
cat >"$work/speech/speechd.conf" <<CONF
AddModule "text" "sd_generic" "text.conf"
DefaultModule text
DefaultLanguage "en"
AudioOutputMethod "libao"
CONF
cat >"$work/speech/modules/text.conf" <<CONF
GenericExecuteSynth "printf '%s\\\\n' \'\$DATA\' >> $work/spoken.txt"
GenericLanguage "en" "en" "utf-8"
AddVoice "en" "MALE1" "en"
CONF

start_xvfb
export work
# A window manager gives the window the focus, as a desktop does; without one Orca hears nothing.
openbox --sm-disable >"$work/openbox.log" 2>&1 &
servers+=("$!")

in_bus_session "${BASH_SOURCE[0]}" --in-session "$program"
