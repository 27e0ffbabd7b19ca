#!/usr/bin/env bash
# Takes the screenshots in docs/ of the stopwatch at each stage of use, in a private X server with
# a window manager, driving it with real key presses, under the default theme and then a dark one.
# Needs: xvfb openbox xdotool imagemagick adwaita-qt6.
# Usage: scripts/screenshots.sh [path to qvr-stopwatch]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
program=${1:-$root/build/release/window/qvr-stopwatch}

start_desktop
shoot() {
    /usr/bin/import -frame -window "$window" "$root/docs/screenshot-$1.png"
}

launch() {
    "$program" "$@" &
    stopwatch=$!
    window=$(xdotool search --sync --onlyvisible --name 'QVR Stop Watch' | head -n 1)
    sleep 1
}

launch

shoot start
xdotool type --delay 80 'Acme'
xdotool key Return
sleep 3.3
shoot running
xdotool key Return # the Stop button has the focus after Start
sleep 2
shoot paused
xdotool key Tab Return # Clear
sleep 1
shoot cleared
xdotool key space # Clear leaves the focus on Quit, which Space presses
wait $stopwatch && echo "The stopwatch ended with status 0."

launch -style Adwaita-Dark
xdotool type --delay 80 'Acme'
xdotool key Return
sleep 3.3
shoot dark
xdotool key Tab Tab space # from Stop, past Clear, to Quit
wait $stopwatch && echo "The stopwatch ended with status 0 under the dark theme."
