#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What a Windows screen reader reads of the stopwatch: windows/uiatree.cpp, a UI Automation client
# cross-built with MinGW-w64, walks the window under Wine and keeps the elements that are controls,
# as Narrator and NVDA do. Before Start and after a name and Enter it compares the window's name,
# the name box as an edit named Name, the four buttons by name, the three captions and the three
# times, empty before Start and " hh:mm:ss " after; after Space on Stop Timer and after Space on
# Continue, the buttons' names. Wine 8 has no UI Automation client (CUIAutomation is not
# registered); Wine 10 has one. check.sh runs it with the folder of the unpacked zip, on its X
# display.
#   check-uia.sh FOLDER
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
folder=$1
work=$(as_user mktemp -d)
trap 'rm -rf "$work"' EXIT

as_user x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -municode -static \
    -o "$work/uiatree.exe" "$windows/uiatree.cpp" -lole32 -loleaut32 -luuid

# The window's controls, one element a line: depth, control type, automation id, name, value,
# help text and the name of its label, tab-separated; shown as it is read.
tree=$work/tree.txt
read_tree() {
    as_wine_user env DISPLAY="$DISPLAY" timeout 60 "$wine" "$work/uiatree.exe" 'QVR Stop' \
        2>"$work/uiatree.log" | tr -d '\r' >"$tree" || true
    echo "  read ($1):"
    sed 's/\t/ | /g; s/^/    /' "$tree"
    [ -s "$tree" ] || sed 's/^/    /' "$work/uiatree.log"
}
# The names of the elements of a control type, one a line, in the order read.
names_of() { awk -F '\t' -v type="$1" '$2 == type { print $4 }' "$tree"; }
window_name() { awk -F '\t' '$1 == 0 && $2 == "Window" { print $4 }' "$tree"; }
# The three times: the text elements named by their contents, after the captions.
times() {
    names_of Text | grep -vxE 'Beginning Time|Ending Time|Total Elapsed Time' | paste -sd '|'
}

# Workaround: without the Unix TZ, which Wine 10 would hand on (see check.sh).
(cd "$folder" && as_wine_user env -u TZ DISPLAY="$DISPLAY" "$wine" qvr-stopwatch.exe \
    >/dev/null 2>&1) &
stopwatch=$!
window=$(stopwatch_window)
sleep 2

read_tree "before Start"
check "the window named '  QVR Stop Watch'" same "$(window_name)" "  QVR Stop Watch"
check "the name box, an edit named Name" same "$(names_of Edit)" "Name"
check "the four buttons by name" same "$(names_of Button | paste -sd '|')" \
    "Start Timer|Stop Timer|Clear Timer|Quit"
check "the three captions" same "$(names_of Text | grep -cxE 'Beginning Time|Ending Time|Total Elapsed Time')" 3
check "the three times empty" same "$(times)" "||"

xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool type --delay 80 'Acme'
xdotool key Return
sleep 2.5
read_tree "after Acme and Enter"
check "the window named by the name and the suffix" same "$(window_name)" \
    "Acme            Zembo's QVR Stopwatch "
check "the three times ' hh:mm:ss '" grep -qxE '( [0-9]{2}:[0-9]{2}:[0-9]{2} \|){2} [0-9]{2}:[0-9]{2}:[0-9]{2} ' <<<"$(times)"

xdotool key space # Enter left the focus on Stop Timer
sleep 1
read_tree "after Space on Stop Timer"
check "the button reads Continue" same "$(names_of Button | paste -sd '|')" \
    "Start Timer|Continue|Clear Timer|Quit"
xdotool key space
sleep 1
read_tree "after Space on Continue"
check "the button reads Stop Timer again" same "$(names_of Button | paste -sd '|')" \
    "Start Timer|Stop Timer|Clear Timer|Quit"

xdotool key Tab Tab space # from Stop, past Clear, to Quit
wait $stopwatch || true
as_wine_user "$wineserver" --wait
verdict "UI Automation"
