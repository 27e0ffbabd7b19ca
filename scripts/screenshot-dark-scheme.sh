#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes a screenshot of the stopwatch timing while the desktop asks for a dark colour scheme, in a
# private X server: Qt's GTK platform theme under GTK's dark Adwaita, which Qt 6.5 and later report
# as a dark scheme, with a dark palette.
# Usage: scripts/screenshot-dark-scheme.sh [path to qvr-stopwatch] [picture]
# For the Debian 13 one in docs/: scripts/check-debian13.sh bash scripts/screenshot-dark-scheme.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
program=${1:-$root/build/test/window/qvr-stopwatch}
picture=${2:-$root/docs/screenshot-debian$(. /etc/os-release && echo "$VERSION_ID")-dark.png}
install_missing <(printf '%s\n' xvfb openbox xdotool imagemagick qt6-gtk-platformtheme)

start_desktop

QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark "$program" &
stopwatch=$!
window=$(xdotool search --sync --onlyvisible --name 'QVR Stop Watch' | head -n 1)
sleep 1
xdotool type --delay 80 'Acme'
xdotool key Return
sleep 3.3
/usr/bin/import -frame -window "$window" "$picture"
echo "Saved $picture"
xdotool key Tab Tab space # from Stop, past Clear, to Quit
wait $stopwatch && echo "The stopwatch ended with status 0."
