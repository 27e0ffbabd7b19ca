#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a scratch prefix and checks one part of what a desktop finds there:
#   check-install.sh tree|desktop|appstream|manual BUILD_FOLDER NUMERIC_VERSION
# With --installed for BUILD_FOLDER, the files the installed Debian package holds are checked,
# copied under the scratch prefix as they lie under /usr.
# shellcheck source=tests/packaging/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
part=$1 build=$2 version=$3

prefix=$work/prefix
if [ "$build" = --installed ]; then
    need dpkg-query
    mkdir -p "$prefix"
    dpkg-query --listfiles qvr-stopwatch | sed -n 's|^/usr/||p' | while read -r file; do
        [ ! -f "/usr/$file" ] || install -D -m "$(stat -c %a "/usr/$file")" "/usr/$file" "$prefix/$file"
    done
else
    cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
        { cat "$work/install.log" && exit 1; }
fi
desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml

# The value of a key in the desktop entry's main group.
entry() { sed -n "/^\[Desktop Entry\]/,/^\[/s/^$1=//p" "$desktop"; }
launches_installed_program() {
    local command
    command=$(entry Exec | cut -d' ' -f1)
    [ -n "$command" ] && [ -f "$prefix/bin/$command" ] && [ -x "$prefix/bin/$command" ]
}

case $part in
tree)
    need file
    expect "program installed" test -x "$prefix/bin/qvr-stopwatch"
    for size in 16 32 48 64 128 256; do
        icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
        # The theme is looked up by folder, so a picture of another size would be scaled wrongly.
        expect "${size}px icon is a ${size} x ${size} PNG" \
            contains <(file -b "$icon" 2>&1) "PNG image data, $size x $size,"
    done
    expect "scalable icon is SVG" \
        contains <(file -b "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg" 2>&1) "SVG"
    expect "desktop entry installed" test -f "$desktop"
    expect "AppStream metadata installed" test -f "$metainfo"
    expect "manual page installed" test -f "$prefix/share/man/man1/qvr-stopwatch.1.gz"
    ;;
desktop)
    need desktop-file-validate
    desktop-file-validate "$desktop" >"$work/validate.log" 2>&1 || true
    cat "$work/validate.log"
    # It exits 0 on warnings too; any message at all counts here.
    expect "desktop-file-validate reports nothing" test ! -s "$work/validate.log"
    expect "Exec names the installed program" launches_installed_program
    expect "Icon names the installed icons" same "$(entry Icon)" "$app_id"
    expect "Comment is the program's purpose" same "$(entry Comment)" "$purpose"
    expect "listed under Utility" contains <(entry Categories) "Utility;"
    ;;
appstream)
    need appstreamcli
    expect "appstreamcli validate passes" appstreamcli validate --no-net "$metainfo"
    expect "appstreamcli validate-tree passes" appstreamcli validate-tree --no-net "$prefix"
    expect "id names the desktop entry and icons" contains "$metainfo" "<id>$app_id</id>"
    expect "launchable is the installed desktop entry" \
        contains "$metainfo" "<launchable type=\"desktop-id\">$app_id.desktop</launchable>"
    expect "provides the installed program" contains "$metainfo" "<binary>qvr-stopwatch</binary>"
    expect "description holds the program's purpose" contains "$metainfo" "<p>$purpose</p>"
    expect "release $(display_version "$version") is listed" \
        contains "$metainfo" "<release version=\"$(display_version "$version")\""
    ;;
manual)
    need man
    page=$prefix/share/man/man1/qvr-stopwatch.1.gz
    # What lintian runs: man's own warnings about the page, at the width of a terminal.
    LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" \
        2>"$work/man.log" >/dev/null || true
    cat "$work/man.log"
    expect "man reports nothing about the page" test ! -s "$work/man.log"
    expect "page names the program" contains <(zcat "$page") ".TH QVR-STOPWATCH 1"
    ;;
*)
    echo "unknown part: $part" >&2
    exit 2
    ;;
esac
finish
