#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows look under Wine: the unpacked program started with Windows 10 and with Windows 11 as
# Wine's version, each in light and in dark mode (AppsUseLightTheme, which Qt reads), in a Wine
# prefix of its own. Takes docs/screenshot-windows-{10,11}-{light,dark}.png and checks, from the
# pixels of the client area, that the coloured boxes keep their colours and their black text in
# every case, and that the buttons are dark in Windows 11's dark mode only: Qt 6.8 picks the
# windows11 style on Windows 11, which follows dark mode, and windowsvista before it, which does not.
# check.sh runs it with the folder of the unpacked zip, on its X display.
#   check-look.sh FOLDER
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
folder=$1
work=$(as_user mktemp -d)
export WINEPREFIX=$work/wine
trap 'as_wine_user "$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
make_wine_prefix >/dev/null 2>&1
win() { as_wine_user env DISPLAY="$DISPLAY" "$wine" "$@" >/dev/null 2>&1; }

# The colour at x,y of a picture, as r,g,b from 0 to 255.
colour_at() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}
# The grey level (0 to 255) of the darkest and of the mean pixel of WIDTHxHEIGHT+X+Y.
darkest_in() { convert "$1" -crop "$2" +repage -colorspace gray -format '%[fx:int(255*minima)]' info:; }
mean_in() { convert "$1" -crop "$2" +repage -colorspace gray -format '%[fx:int(255*mean)]' info:; }

for version in 10 11; do
    win winecfg -v "win$version"
    for mode in light dark; do
        win reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
            /v AppsUseLightTheme /t REG_DWORD /d "$([ $mode = light ] && echo 1 || echo 0)" /f
        echo "== Windows $version, $mode"
        # Workaround: without the Unix TZ, which Wine 10 would hand on (see check.sh).
        (cd "$folder" && as_wine_user env -u TZ DISPLAY="$DISPLAY" "$wine" qvr-stopwatch.exe \
            >/dev/null 2>&1) &
        stopwatch=$!
        window=$(stopwatch_window)
        sleep 2
        xdotool windowactivate --sync "$window" 2>/dev/null || true
        xdotool type --delay 80 'Acme'
        xdotool key Return
        sleep 2.5
        as_user import -frame -window "$window" "$root/docs/screenshot-windows-$version-$mode.png"
        client=$work/client-$version-$mode.png
        as_user import -window "$window" "$client"
        check "the name box light cyan" same "$(colour_at "$client" 150 26)" 192,255,255
        check "the beginning time's box light aqua" same "$(colour_at "$client" 258 82)" 128,255,255
        check "the ending time's box cyan" same "$(colour_at "$client" 258 186)" 0,255,255
        check "the total's box teal" same "$(colour_at "$client" 258 290)" 0,192,192
        check "the total in black" test "$(darkest_in "$client" 150x26+261+291)" -lt 40
        # Clear Timer's face, left of its caption.
        face=$(mean_in "$client" 4x30+19+294)
        if [ "$version" = 11 ] && [ "$mode" = dark ]; then
            check "buttons dark (grey $face)" test "$face" -lt 96
        else
            check "buttons light (grey $face)" test "$face" -gt 160
        fi
        xdotool key --window "$window" Tab Tab space # from Stop, past Clear, to Quit
        wait $stopwatch || true
        as_wine_user "$wineserver" --wait
    done
done
verdict "look"
