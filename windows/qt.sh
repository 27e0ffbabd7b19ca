#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds Debian's own qt6-base source, the same version as the host's Qt (6.8.2 on Debian 13),
# for 64-bit Windows with MinGW-w64, into a cache folder outside the clone; a second run finds it
# and does nothing.
#   qt.sh CACHE_DIR     (installs Qt into CACHE_DIR/qt)
# CACHE_DIR/qt/qvr-stopwatch-qt.txt, written last, records what was built: the Qt source, the
# compiler and the configure arguments. A Qt built otherwise, or not to the end, is never reused:
# it is built again, and the program is never linked against it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cache=$1
prefix=$cache/qt
build_dir=$cache/qt-build
stamp=qvr-stopwatch-qt.txt

version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
upstream=${version%-*}
source_dir=$cache/src/qt6-base-$upstream
toolchain=$cache/mingw-w64.cmake

# Only what the stopwatch and its tests use: Core, Gui, Widgets, the Windows platform plugin, the
# Windows styles and Qt Test. The rest is left out, to shorten the build (README.md says how
# long it takes):
#   opengl, vulkan: the window paints with the raster engine.
#   direct2d1_1: the Direct2D platform plugin, which nothing loads.
#   dbus, sql, network, printsupport, concurrent, xml: no part of the program uses them.
#   qmake, androiddeployqt: the stopwatch builds with CMake, and qmake would bring its own copy of
#     Qt Core to compile.
#   freetype: Windows draws text with GDI.
#   tabletevent: pen tablets (see the workaround below).
#   jpeg, gif, movie, pdf, markdown, odf, systemtrayicon, undo: formats and services it never uses.
#   the widgets and dialogs after systemtrayicon: the window has labels, a line edit and buttons
#     only (Graphics View, the command link button, style sheets and the tool bar stay: see below).
#   mimetype, mimetype-database: nothing asks QMimeDatabase; the clipboard and drag and drop name
#     their formats without it.
#   from hijricalendar to the end of the list: what the stopwatch, the Windows platform plugin and
#     the Windows styles never use, so that the zip and the MSI stay within 7.5 MiB (bench/
#     windows.sh measures them): calendars other than the Gregorian, the faster of two SHA-3
#     implementations, XML, file watching, processes, shared memory, command lines, translations,
#     the parsing of dates, proxy and string-list models, gestures, QPicture, file-system models,
#     What's This, session management, text in images, two image formats, and widgets and helpers
#     the window never shows (the Fusion style among them).
# and optimize-size compiles Qt for size (-Os): the window repaints a few labels once a second.
#
# Workaround: Qt 6.8.2's Gui does not compile for Windows without Direct2D (qwindowsfontdatabase_p.h
# needs DirectWrite's types, and qwindowsfontdatabasebase_p.h a QCustomFontFileLoader that the .cpp
# defines only with Direct2D), so direct2d stays, as in Qt's own Windows builds. Can go when this
# script builds with direct2d added to the features left out.
#
# Workaround: Qt 6.8.2's Windows 11 style includes the headers of Graphics View (and its drop shadow
# effect) and of the command link button, and asks for the application's style sheet, whether they
# are built or not, so graphicsview, commandlinkbutton and style-stylesheet stay; so does toolbar
# (and mainwindow, which toolbar needs), whose QStyleOptionToolBar its Vista base uses whether or
# not it is built. Can go when this script builds with the five added to the features left out.
#
# Workaround: Qt 6.8.2's configure turns dynamic OpenGL off only for -no-opengl, not for
# -no-feature-opengl, and its Windows platform plugin does not build with OpenGL off and dynamic
# OpenGL on; hence -no-opengl below. Can go when this script builds with opengl in the features left
# out in place of -no-opengl.
#
# Workaround: Debian's qt6-base source (6.8.2 in Debian 13) leaves out Qt's Wintab headers
# (src/3rdparty/wintab), which the Windows platform plugin's tablet support includes, so tabletevent
# is left out. Can go when Debian's source has src/3rdparty/wintab, or the stopwatch builds Qt from
# another source.
features=(
    vulkan direct2d1_1 dbus sql network printsupport concurrent xml qmake
    androiddeployqt freetype jpeg gif movie pdf textmarkdownreader textmarkdownwriter textodfwriter
    systemtrayicon undocommand tabletevent
    mdiarea dockwidget calendarwidget colordialog fontdialog filedialog wizard
    columnview dial lcdnumber keysequenceedit splashscreen datawidgetmapper fontcombobox
    mimetype mimetype-database
    hijricalendar jalalicalendar islamiccivilcalendar sha3-fast xmlstream filesystemwatcher process
    sharedmemory systemsemaphore commandlineparser translation datetimeparser sortfilterproxymodel
    transposeproxymodel concatenatetablesproxymodel identityproxymodel stringlistmodel gestures
    picture filesystemmodel whatsthis sessionmanager image_text imageformat_ppm imageformat_xbm
    treewidget listwidget tablewidget datetimeedit textbrowser splitter formlayout toolbox statusbar
    menubar progressbar progressdialog scroller syntaxhighlighter sizegrip errormessage undoview
    completer fscompleter buttongroup style-fusion effects rubberband statustip
)
configure=(
    -prefix "$prefix" -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32-
    -qt-host-path /usr -release -optimize-size -shared -nomake examples -nomake tests -no-opengl
    "${features[@]/#/-no-feature-}" -qt-zlib -qt-libpng -qt-pcre -qt-harfbuzz
    -- -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)
recipe="qt6-base $version
compiler $(x86_64-w64-mingw32-g++-posix -dumpfullversion) ($(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix))
toolchain $(sha256sum "$windows/mingw-w64.cmake" | cut -d' ' -f1)
configure ${configure[*]}"

# MinGW's runtime beside Qt's DLLs, so that what is built against them runs under Wine with this
# one folder as its path; libssp holds the checks of a hardened build.
copy_runtime() {
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libssp-0.dll libwinpthread-1.dll; do
        as_user cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$prefix/bin/"
    done
}

if [ "$(cat "$prefix/$stamp" 2>/dev/null)" = "$recipe" ]; then
    exit 0
fi
if [ -e "$prefix" ]; then
    echo "Qt for Windows in $prefix is not $version built as this script builds it" \
        "(or its build did not finish): building it again."
    as_user rm -rf "$prefix"
fi
# A build folder of another recipe starts over; one of this recipe, interrupted, carries on.
if [ "$(cat "$build_dir/$stamp" 2>/dev/null)" != "$recipe" ]; then
    as_user rm -rf "$build_dir"
fi

# apt-get source needs a deb-src entry; copy the machine's own archive entries for it.
if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q "^Version: $version$"; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            as_root tee /etc/apt/sources.list.d/qvr-stopwatch-src.sources >/dev/null
    else
        grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            as_root tee /etc/apt/sources.list.d/qvr-stopwatch-src.list >/dev/null
    fi
    as_root apt-get -o DPkg::Lock::Timeout=600 update -qq
fi

# Unpacked beside its final name and moved there whole, so that an interrupted unpacking is not
# taken for the source.
as_user mkdir -p "$cache/src"
if [ ! -f "$source_dir/debian/changelog" ] ||
    [ "$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)" != "$version" ]; then
    as_user rm -rf "$source_dir" "$cache/src/unpack"
    as_user mkdir "$cache/src/unpack"
    (cd "$cache/src/unpack" && as_user apt-get source -qq "qt6-base=$version")
    as_user mv "$cache/src/unpack/qt6-base-$upstream" "$source_dir"
    as_user rm -rf "$cache/src/unpack"
fi

# Qt 6 takes its cross compiler from a CMake toolchain file; the stopwatch's build reaches the same
# file through Qt's own. A copy, since every clone shares this Qt.
as_user cp "$windows/mingw-w64.cmake" "$toolchain"

as_user mkdir -p "$build_dir"
cd "$build_dir"
if [ ! -f build.ninja ]; then
    printf '%s\n' "$recipe" | as_user tee "$stamp" >/dev/null
    as_user "$source_dir/configure" "${configure[@]}"
fi
as_user cmake --build . --parallel
as_user cmake --install .
copy_runtime
printf '%s\n' "$recipe" | as_user tee "$prefix/$stamp" >/dev/null
