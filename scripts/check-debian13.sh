#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and tests the stopwatch on Debian 13 (Qt 6.8, GCC 14, CMake 3.31) in a root made with
# debootstrap from the Debian archive this machine already uses. Needs root; asks sudo otherwise.
# Usage: scripts/check-debian13.sh [command run in the tree's copy]   (default: bash scripts/test.sh)
# The root, the copy of the tree and its build folders are kept in STOPWATCH_DEBIAN13_ROOT
# (default /var/cache/qvr-stopwatch/trixie), so a second run rebuilds only what changed. The copy is
# STOPWATCH_DEBIAN13_COPY inside the root (default /src/qvr-stopwatch): runs that may overlap, such
# as the Windows build (windows/build.sh), each take a folder of their own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
[ "$(id -u)" -eq 0 ] || exec sudo -- bash "${BASH_SOURCE[0]}" "$@"
# In a mount namespace of its own, so that the root's /proc, /sys and /dev are this run's mounts
# alone: runs may overlap (the Windows build beside the tests), and a second sysfs or /dev on the
# same place would be refused.
if [ -z "${STOPWATCH_DEBIAN13_UNSHARED:-}" ]; then
    STOPWATCH_DEBIAN13_UNSHARED=1 exec unshare --mount --propagation private -- \
        bash "${BASH_SOURCE[0]}" "$@"
fi

target=${STOPWATCH_DEBIAN13_ROOT:-/var/cache/qvr-stopwatch/trixie}
copy=${STOPWATCH_DEBIAN13_COPY:-/src/qvr-stopwatch}
[ $# -gt 0 ] || set -- bash scripts/test.sh

if [ ! -e "$target/.complete" ]; then
    install_missing <(echo debootstrap)
    # Made beside its final place and moved there whole, so an interrupted run starts over; what
    # debootstrap left mounted there is not followed.
    rm -rf --one-file-system "$target.new"
    mkdir -p "$(dirname "$target")"
    debootstrap --variant=minbase trixie "$target.new" "$(debian_archive)"
    touch "$target.new/.complete"
    mv "$target.new" "$target"
fi
cp -L /etc/resolv.conf "$target/etc/resolv.conf"
# A machine pinned to a dated copy of the archive needs its date checks off inside the root too.
apt-config dump | grep -E '^Acquire::Check-(Valid-Until|Date) ' >"$target/etc/apt/apt.conf.d/90host" ||
    true

# The tree as git sees it, uncommitted changes included (a tree without git, such as a release's
# unpacked archive, whole but for its build folder); build folders inside the root stay.
mkdir -p "$target$copy"
find "$target$copy" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
if git -c safe.directory="$root" -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -c safe.directory="$root" -C "$root" ls-files -z --cached --others --exclude-standard |
        tar -C "$root" --null --ignore-failed-read -T - -cf - | tar -C "$target$copy" -xf -
else
    tar -C "$root" --exclude=./build -cf - . | tar -C "$target$copy" -xf -
fi

mounted=()
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" || umount -l "${mounted[i]}"
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
# What another run had mounted when this one began is this run's own copy already.
mount_in() {
    mountpoint -q "$target$1" && return 0
    mount "${@:2}" "$target$1"
    mounted+=("$target$1")
}
mount_in /proc -t proc proc
mount_in /sys -t sysfs sysfs
mount_in /dev --bind /dev
mount_in /dev/pts --bind /dev/pts
mount_in /dev/shm -t tmpfs tmpfs

# A clean environment: the host's sudo user and paths mean nothing inside the root.
chroot "$target" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    CI="${CI:-}" /bin/bash -c 'cd "$0" && exec "$@"' "$copy" "$@"
