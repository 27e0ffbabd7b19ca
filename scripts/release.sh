#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes a release of the commit checked out, in one folder: the source archive, the Debian source
# packages made from it and the Debian 12 and 13 packages built from those in clean chroots
# (scripts/build-debian.sh), the Windows zip (and installer, where the Windows build makes one) and
# SHA256SUMS over them. All are built afresh from the commit's own files in a temporary folder,
# with the time taken from the commit, so that anyone who builds the same commit gets the same
# bytes.
#   bash scripts/release.sh [--windows | --no-windows] [--out FOLDER]
# Without either flag, the Windows files are made only when Qt for Windows is already built.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

usage() {
    echo "usage: bash scripts/release.sh [--windows | --no-windows] [--out FOLDER]" >&2
    exit 2
}
windows=auto out=
while [ $# -gt 0 ]; do
    case $1 in
    --windows) windows=yes ;;
    --no-windows) windows=no ;;
    --out) [ $# -ge 2 ] || usage; out=$(realpath -m "$2"); shift ;;
    *) usage ;;
    esac
    shift
done

cd "$root"
if ! git rev-parse --verify -q HEAD >/dev/null; then
    echo "release.sh: $root is not a git clone with a commit; a release is made from a commit." >&2
    exit 1
fi
if [ -n "$(git status --porcelain)" ]; then
    {
        echo "release.sh: refusing to release: the working tree differs from the commit:"
        git status --short
        echo "A release is built from a commit alone. Commit these changes, or set them aside"
        echo "with 'git stash --include-untracked', and run it again."
    } >&2
    exit 1
fi

# The same place build-windows.sh keeps Qt: the user's cache, even through sudo, on Debian 13; on
# Debian 12 root's, in the Debian 13 root it builds in (windows/lib.sh).
# shellcheck disable=SC2016 # expanded by the user's shell
windows_qt=$(as_user sh -c 'echo "${XDG_CACHE_HOME:-$HOME/.cache}"')/qvr-stopwatch/windows/qt
if [ "$(. /etc/os-release && echo "${VERSION_ID:-99}" | cut -d. -f1)" -lt 13 ]; then
    windows_qt=${STOPWATCH_DEBIAN13_ROOT:-/var/cache/qvr-stopwatch/trixie}/root/.cache/qvr-stopwatch/windows/qt
fi
if [ "$windows" = auto ]; then
    if [ -f "$windows_qt/qvr-stopwatch-qt.txt" ]; then
        windows=yes
    else
        windows=no
        echo "Windows files skipped: Qt for Windows is not built in $windows_qt."
        echo "  bash scripts/release.sh --windows builds it first (README.md says how long)."
    fi
fi

lists=("$root/scripts/build-packages.txt" "$root/scripts/release-packages.txt")
[ "$windows" = yes ] && lists+=("$root/windows/packages.txt")
install_missing "${lists[@]}"
# sbuild, the chroots and the subordinate ids it builds with need root; the builds do not.
as_root bash "$root/scripts/build-debian.sh" prepare
# Everything else runs as the user who asked, so that a run through sudo leaves their files theirs.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    exec sudo -u "$SUDO_USER" -- bash "$root/scripts/release.sh" \
        "--$([ "$windows" = yes ] || echo no-)windows" ${out:+--out "$out"}
fi

# Nothing of the machine's settings or the moment may reach the files: fixed umask, locale and
# zone, and every time stamp taken from the commit.
umask 022
export LC_ALL=C.UTF-8 TZ=UTC
unset LANGUAGE
commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH

version=$(sed -n 's/^project(qvr-stopwatch VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
IFS=. read -r major minor _ revision <<<"$version"
display_version=$(printf '%d.%02d.%04d' "$major" "$minor" "$revision")
name=qvr-stopwatch-$display_version

if [ -n "$out" ] && [ -e "$out" ] && [ -n "$(ls -A "$out")" ]; then
    echo "release.sh: $out is not empty; give a new or empty folder." >&2
    exit 1
fi

stage=$(mktemp -d "${TMPDIR:-/tmp}/qvr-stopwatch-release.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/files"
echo "Releasing $name from commit $commit ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T UTC'))"

# The archive holds the commit's tree with the commit's time; git's own settings that could change
# modes or line ends are fixed.
git -c tar.umask=0022 -c core.autocrlf=false archive --format=tar --prefix="$name/" "$commit" |
    gzip -9n >"$stage/files/$name.tar.gz"
# The packages are built from that archive, so they hold nothing the archive does not.
tar -xzf "$stage/files/$name.tar.gz" -C "$stage"
source_dir=$stage/$name

echo "Building the Debian packages"
cp "$stage/files/$name.tar.gz" "$stage/$name.tar.gz"
bash "$root/scripts/build-debian.sh" build "$stage/$name.tar.gz" "$stage/debian"
for deb in "$stage"/debian/qvr-stopwatch_*.deb; do
    bash "$root/scripts/check-hardening.sh" "$deb" "${deb%.deb}.build"
    bash "$source_dir/tests/packaging/check-deb.sh" "$deb"
done
mv "$stage"/debian/*.dsc "$stage"/debian/*.orig.tar.gz "$stage"/debian/*.debian.tar.xz \
    "$stage"/debian/*.deb "$stage"/debian/*.buildinfo "$stage"/debian/*.changes "$stage/files/"

if [ "$windows" = yes ]; then
    echo "Building the Windows files"
    bash "$source_dir/scripts/build-windows.sh"
    mv "$source_dir/build/windows/$name-windows-x64.zip" "$stage/files/"
    if [ -f "$source_dir/build/windows/$name-windows-x64.msi" ]; then
        mv "$source_dir/build/windows/$name-windows-x64.msi" "$stage/files/"
    fi
fi

# The .buildinfo files record when and on what machine each build ran, and the .changes files
# hold their sums, so they are released beside the packages but not summed.
(
    cd "$stage/files"
    summed=()
    for file in *; do
        case $file in *.buildinfo | *.changes) ;; *) summed+=("$file") ;; esac
    done
    sha256sum -- "${summed[@]}" >SHA256SUMS
)
if [ -z "$out" ]; then
    out=$root/build/dist
    rm -rf "$out"
fi
mkdir -p "$out"
mv "$stage"/files/* "$out/"
echo "Released into $out:"
cat "$out/SHA256SUMS"
