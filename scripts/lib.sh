# Shared by the scripts beside it: installing what is missing, and building.
# shellcheck shell=bash

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Runs a command as root: directly when we are root, through sudo otherwise.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Runs a command as the user who asked for it, so that a run through sudo leaves the build folder
# owned by that user rather than by root.
as_user() {
    if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
        sudo -u "$SUDO_USER" --preserve-env=DISPLAY,XAUTHORITY,WAYLAND_DISPLAY,XDG_RUNTIME_DIR,QT_QPA_PLATFORM,CI -- "$@"
    else
        "$@"
    fi
}

# Installs the packages listed in the given files that are not installed yet.
install_missing() {
    local wanted missing=()
    wanted=$(cat "$@" | sed -e 's/#.*//' -e '/^[[:space:]]*$/d')
    # The lists use Debian 12's names; a release without a number is a newer one.
    if [ "$(. /etc/os-release && echo "${VERSION_ID:-99}" | cut -d. -f1)" -ge 13 ]; then
        wanted=$(awk 'NR == FNR { if (!/^#/ && NF == 2) renamed[$1] = $2; next }
                      { print ($1 in renamed) ? renamed[$1] : $1 }' \
            "$root/scripts/renamed-packages.txt" - <<<"$wanted")
    fi
    for package in $wanted; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    # Other builds on the machine may be installing too: wait for them rather than fail.
    local apt=(apt-get -o DPkg::Lock::Timeout=600)
    as_root env DEBIAN_FRONTEND=noninteractive "${apt[@]}" update -qq
    as_root env DEBIAN_FRONTEND=noninteractive "${apt[@]}" install -y -qq --no-install-recommends \
        "${missing[@]}" </dev/null
}

# Configures and builds into build/<name>, passing any further arguments to CMake.
# Workaround: configuring an existing folder again takes under a second, and keeps it building
# after a source file moves: CMake 3.31 with Ninja (Debian 13; not seen with 3.25) otherwise stops
# at the file's old name in AUTOGEN's dependencies before regenerating. Can go when, in Debian 13's
# root, a build folder whose source file was moved (git mv) builds with cmake --build alone.
build() {
    local dir="$root/build/$1"
    shift
    as_user cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
    as_user cmake --build "$dir"
}

# Starts a private X server with a window manager, for the scripts that show the window, and stops
# it when the script ends (a script with its own EXIT trap kills $xvfb there). -displayfd picks a
# free display number, so this can run beside other X servers.
#   start_desktop [WIDTHxHEIGHT]    (800x600 unless given)
start_desktop() {
    exec 3< <(as_user Xvfb -displayfd 1 -screen 0 "${1:-800x600}x24" -nolisten tcp 2>/dev/null)
    xvfb=$!
    read -r display <&3
    # as_user runs in a subshell, whose child is the server (or sudo, which passes signals on to
    # it): killing the subshell alone would leave the server, and the window manager on it, running.
    local server
    server=$(ps -o pid= --ppid "$xvfb" | head -n 1)
    xvfb=$((${server:-$xvfb}))
    trap 'kill $xvfb 2>/dev/null' EXIT
    export DISPLAY=:$display
    as_user openbox >/dev/null 2>&1 &
    sleep 1
}

# The first Debian archive in the machine's own sources, leaving out the security archive.
debian_archive() {
    local uri
    uri=$(awk '/^URIs:/ && !/security/ { print $2; exit }' \
        /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
    [ -n "$uri" ] || uri=$(awk '$1 == "deb" && !/security/ {
        for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; exit } }' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true)
    [ -n "$uri" ] || { echo "no Debian archive found in /etc/apt" >&2; exit 1; }
    echo "$uri"
}
