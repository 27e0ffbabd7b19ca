#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from the build folder, checks its control data and documents, unpacks
# it and runs the unpacked program until SIGTERM ends it.
#   check-deb.sh CPACK BUILD_FOLDER NUMERIC_VERSION
# shellcheck source=tests/packaging/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cpack=$1 build=$2 version=$3
need dpkg-deb dpkg-shlibdeps dpkg file
[ -d /proc/self ] || { echo "skipped: no /proc to watch the program's signal handlers"; exit 77; }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" && exit 1; }
deb=$work/out/qvr-stopwatch_${version}_$(dpkg --print-architecture).deb
if ! expect "package named for all four parts of the version" test -f "$deb"; then
    ls "$work/out"
    finish
fi

if command -v lintian >/dev/null; then
    lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || true
    grep -E '^[EW]: ' "$work/lintian.log" || true
    expect "lintian finds no errors or warnings" test -z "$(grep -E '^[EW]: ' "$work/lintian.log")"
fi

field() { dpkg-deb --field "$deb" "$1"; }
expect "Package" same "$(field Package)" qvr-stopwatch
expect "Version" same "$(field Version)" "$version"
# dpkg-shlibdeps supplies the Qt libraries; the faces are chosen by name, out of its sight, and
# Debian 12's fonts-liberation holds only the older faces with other metrics.
field Depends | tr ',' '\n' | sed 's/^ *//' >"$work/depends"
expect "Depends on libqt6widgets6" contains <(awk '{ print $1 }' "$work/depends") libqt6widgets6
expect "Depends on the Liberation 2 faces under either name" \
    has_line "$work/depends" "fonts-liberation (>= 1:2.1) | fonts-liberation2"
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
    same "$(zcat "$doc/changelog.gz" | head -n 1 | cut -d' ' -f1-2)" "qvr-stopwatch ($version)"
expect "program is stripped" contains <(file -b "$work/root/usr/bin/qvr-stopwatch") ", stripped"

if expect "unpacked program starts" start_program env --default-signal=INT \
    "$work/root/usr/bin/qvr-stopwatch"; then
    sleep 1
    expect "unpacked program still runs after a second" same "$(program_state)" running
    stop_program TERM
    expect "SIGTERM ends it with status 0" same "$exit_status" 0
fi
finish
