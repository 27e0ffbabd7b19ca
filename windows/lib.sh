# Shared by the scripts beside it: where the Windows build keeps Qt and Wine, and how programs
# built against that Qt run under Wine.
# shellcheck shell=bash
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
windows=$root/windows

# Outside the clone, so that every clone reuses one Qt build; the user's, even through sudo.
cache=$(as_user sh -c 'echo "${XDG_CACHE_HOME:-$HOME/.cache}"')/qvr-stopwatch/windows
qt=$cache/qt
export WINEPREFIX=$cache/wine WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: nothing here uses .NET or HTML, and Wine would offer to download them. No
# menu builder either, which would copy every Start menu shortcut into the user's Linux desktop.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

# Runs Wine as the user, with its settings, since sudo keeps only a few variables.
as_wine_user() {
    as_user env WINEPREFIX="$WINEPREFIX" WINEARCH=$WINEARCH WINEDEBUG=$WINEDEBUG \
        WINEDLLOVERRIDES="$WINEDLLOVERRIDES" "$@"
}

# Makes the Wine prefix once, before builds run Windows programs from several jobs at a time.
make_wine_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    as_user mkdir -p "$WINEPREFIX"
    as_wine_user "$wine" wineboot --init
    as_wine_user "$wineserver" --wait
}

# The checks' verdicts: each prints ok or FAILED, and failures counts the latter.
failures=0
check() {
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
same() { [ "$1" = "$2" ] || { echo "  got '$1', expected '$2'"; return 1; }; }
verdict() {
    [ "$failures" -eq 0 ] && echo "All $1 checks passed." || echo "$failures $1 checks failed."
    return $((failures > 0))
}

# The X id of the stopwatch's window, once it is shown.
stopwatch_window() {
    as_user timeout 120 xdotool search --sync --onlyvisible --name 'QVR Stop Watch' | head -n 1
}
client_size() {
    xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}
