#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks a Debian package that scripts/build-debian.sh built: its control data and documents, its
# -dbgsym package beside it, and the unpacked program, run until SIGTERM ends it.
#   check-deb.sh DEB
# The -dbgsym package and sbuild's .buildinfo are looked for beside DEB.
# shellcheck source=tests/packaging/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
deb=$(realpath "$1")
need dpkg-deb file readelf
[ -d /proc/self ] || { echo "skipped: no /proc to watch the program's signal handlers"; exit 77; }

field() { dpkg-deb --field "$deb" "$1"; }
version=$(field Version)
arch=$(field Architecture)
dbgsym=$(dirname "$deb")/qvr-stopwatch-dbgsym_${version}_$arch.deb
buildinfo=$(dirname "$deb")/qvr-stopwatch_${version}_$arch.buildinfo
expect "Package" same "$(field Package)" qvr-stopwatch
expect "Version is the release's, with a revision for one Debian release" \
    grep -qE '^[0-9]+(\.[0-9]+){3}-1~deb[0-9]+u1$' <<<"$version"
# dpkg-shlibdeps supplies the Qt libraries; the faces are chosen by name, out of its sight, and
# Debian 12's fonts-liberation holds only the older faces with other metrics.
field Depends | tr ',' '\n' | sed 's/^ *//' >"$work/depends"
expect "Depends on libqt6widgets6" contains <(awk '{ print $1 }' "$work/depends") libqt6widgets6
expect "Depends on the Liberation 2 faces under either name" \
    has_line "$work/depends" "fonts-liberation (>= 1:2.1) | fonts-liberation2"
# Built against the Qt of its own Debian release: the package needs at least the Qt Core of the
# feature release (6.4, 6.8) that the build installed, as its .buildinfo records it; the symbols
# file of Debian 12's Qt asks for 6.4.0, not the 6.4.2 installed.
built_qt=$(sed -n 's/^ *qt6-base-dev (= \([0-9]*\.[0-9]*\).*/\1/p' "$buildinfo" 2>/dev/null)
needed_qt=$(sed -n 's/^libqt6core6[a-z0-9]* (>= \([0-9]*\.[0-9]*\).*/\1/p' "$work/depends")
expect "Depends on Qt Core ${built_qt:-?}, which it was built against" \
    same "$needed_qt" "${built_qt:-(no qt6-base-dev in $buildinfo)}"
expect "Recommends qt6-wayland, for Wayland desktops" same "$(field Recommends)" qt6-wayland
field Description >"$work/description"
expect "summary line" test -n "$(head -n 1 "$work/description")"
expect "extended description holds the purpose" \
    contains <(tail -n +2 "$work/description" | tr '\n' ' ' | tr -s ' ') "$purpose"
expect "description lines fit 80 columns" test -z "$(awk 'length > 80' "$work/description")"

dpkg-deb --extract "$deb" "$work/root"
doc=$work/root/usr/share/doc/qvr-stopwatch
expect "machine-readable copyright" \
    same "$(head -n 1 "$doc/copyright")" \
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
expect "copyright carries the Earth imagery credit" contains "$doc/copyright" \
    "Earth imagery courtesy of NASA Visible Earth"
expect "changelog's latest entry is this version" \
    same "$(zcat "$doc/changelog.Debian.gz" | head -n 1 | cut -d' ' -f1-2)" "qvr-stopwatch ($version)"
program=$work/root/usr/bin/qvr-stopwatch
expect "program is stripped" contains <(file -b "$program") ", stripped"
# The debugger finds the symbols by the program's build id.
build_id=$(readelf -n "$program" | sed -n 's/^ *Build ID: //p')
if expect "-dbgsym package beside it" test -f "$dbgsym"; then
    dpkg-deb --extract "$dbgsym" "$work/dbgsym"
    expect "-dbgsym holds the symbols for build id $build_id" \
        test -f "$work/dbgsym/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug"
fi

# A package built for another Debian release needs that release's libraries: debian/tests runs it
# there.
host=$(. /etc/os-release && echo "${VERSION_ID:-}" | cut -d. -f1)
if [ "${version##*~deb}" != "${host}u1" ]; then
    echo "not run: the unpacked program, built for another Debian release than this (${host:-unknown})"
elif expect "unpacked program starts" start_program env --default-signal=INT "$program"; then
    sleep 1
    expect "unpacked program still runs after a second" same "$(program_state)" running
    stop_program TERM
    expect "SIGTERM ends it with status 0" same "$exit_status" 0
fi
finish
