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
# Workaround: Wine 10 may replace a window it has just shown (seen with Qt 6.8.2, which recreates
# it), and a search that meets a window as it goes fails; so it searches again until the window
# found is still there. Can go when check-installer.sh passes at 150 % with a single xdotool search
# here and no second look-up there.
stopwatch_window() {
    local id tries=0
    while [ $((tries += 1)) -le 10 ]; do
        id=$(as_user timeout 120 xdotool search --sync --onlyvisible --name 'QVR Stop Watch' \
            2>/dev/null | head -n 1) || true
        if [ -n "$id" ] && xwininfo -id "$id" >/dev/null 2>&1; then
            echo "$id"
            return 0
        fi
        sleep 1
    done
    return 1
}
client_size() {
    xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}

# The Windows build needs Debian 13's Qt 6.8 host tools (moc, rcc, uic), the same version as the Qt
# it builds for Windows, and its checks need Wine 10, whose UI Automation Wine 8 lacks. Debian 12
# has neither, so there the scripts run again in the Debian 13 root that scripts/check-debian13.sh
# makes and keeps, in a copy of the tree of their own (/src/qvr-stopwatch-windows), which that
# script's own runs never touch; a release (SOURCE_DATE_EPOCH set) builds afresh in
# /src/qvr-stopwatch-release. Qt for Windows is then kept in that root's /root/.cache.
debian13_root=${STOPWATCH_DEBIAN13_ROOT:-/var/cache/qvr-stopwatch/trixie}
on_debian13() { [ "$(. /etc/os-release && echo "${VERSION_ID:-99}" | cut -d. -f1)" -ge 13 ]; }
# Settings that the root's clean environment would drop, and those of them that name files, which
# are copied into the root.
passed_settings=(SOURCE_DATE_EPOCH QVR_STOPWATCH_SIGN_PFX QVR_STOPWATCH_SIGN_PASSWORD
    QVR_STOPWATCH_SIGN_TIMESTAMP QVR_STOPWATCH_EARLIER_MSI STOPWATCH_DEBIAN13_ROOT)
passed_files=(QVR_STOPWATCH_SIGN_PFX QVR_STOPWATCH_EARLIER_MSI)

# Runs SCRIPT again with ARGUMENTS as root, through sudo, unless it runs as root already: the
# Debian 13 root needs root rights. The settings it is given pass through sudo.
#   as_root_for_debian13 SCRIPT [ARGUMENTS]
as_root_for_debian13() {
    local script=$1 name
    shift
    [ "$(id -u)" -ne 0 ] || return 0
    if ! command -v sudo >/dev/null || ! sudo -v; then
        echo "The Windows build needs Debian 13's Qt 6.8 and Wine 10. On Debian 12 it makes and" \
            "uses a Debian 13 root in $debian13_root, which needs root rights: run it as root," \
            "through sudo, or as a user with sudo rights." >&2
        exit 1
    fi
    for name in "${passed_files[@]}"; do
        [ -z "${!name:-}" ] || declare -x "$name=$(realpath "${!name}")"
    done
    exec sudo --preserve-env="$(IFS=,; echo "${passed_settings[*]}")" -- bash "$script" "$@"
}

# Runs SCRIPT (one of the tree's) with its arguments in the root, as root; sets debian13_copy to the
# copy's folder as seen from here, and debian13_status to the script's exit status.
#   run_in_debian13 SCRIPT [ARGUMENTS]
run_in_debian13() {
    local script=$1 copy=/src/qvr-stopwatch-windows settings name file
    shift
    as_root_for_debian13 "$script" "$@"
    if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
        copy=/src/qvr-stopwatch-release
        rm -rf --one-file-system "${debian13_root:?}$copy/build"
    fi
    debian13_copy=$debian13_root$copy
    # Makes the root when it is missing, and copies the tree.
    STOPWATCH_DEBIAN13_COPY=$copy bash "$root/scripts/check-debian13.sh" true
    settings=$(mktemp "$debian13_root/tmp/qvr-stopwatch-settings.XXXXXX")
    # shellcheck disable=SC2064 # the names are fixed now
    trap "rm -f '$settings' '$settings'.*" EXIT
    for name in "${passed_settings[@]}"; do
        [ -z "${!name:-}" ] || printf 'export %s=%q\n' "$name" "${!name}" >>"$settings"
    done
    for name in "${passed_files[@]}"; do
        [ -n "${!name:-}" ] || continue
        file=$settings.$name
        install -m 600 -- "${!name}" "$file"
        printf 'export %s=%q\n' "$name" "${file#"$debian13_root"}" >>"$settings"
    done
    debian13_status=0
    STOPWATCH_DEBIAN13_COPY=$copy bash "$root/scripts/check-debian13.sh" \
        bash -c '. "$0" && exec bash "$@"' "${settings#"$debian13_root"}" \
        "$(realpath --relative-to="$root" "$script")" "$@" || debian13_status=$?
}
