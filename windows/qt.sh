#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds Debian's own qt6-base source, the same version as the host's Qt, for 64-bit Windows
# with MinGW-w64, into a cache folder outside the clone; a second run finds it and does nothing.
#   qt.sh CACHE_DIR     (installs Qt into CACHE_DIR/qt)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cache=$1
prefix=$cache/qt

# MinGW's runtime beside Qt's DLLs, so that what is built against them runs under Wine with this
# one folder as its path; libssp holds the checks of a hardened build. libwinpthread comes last: it
# tells that Qt is built, and a Qt built before libssp was needed gets it here.
copy_runtime() {
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libssp-0.dll libwinpthread-1.dll; do
        [ -f "$prefix/bin/$dll" ] ||
            as_user cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$prefix/bin/"
    done
}
if [ -f "$prefix/bin/libwinpthread-1.dll" ]; then
    copy_runtime
    exit 0
fi

version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
upstream=${version%-*}

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

as_user mkdir -p "$cache/src"
source_dir=$cache/src/qt6-base-$upstream
if [ ! -d "$source_dir" ]; then
    (cd "$cache/src" && as_user apt-get source -qq "qt6-base=$version")
fi

# Qt 6.4 builds its DirectWrite font database only along with Direct2D, which is left out below,
# yet the Windows platform plugin asks for it whenever DirectWrite 3 is there. GDI's, the default,
# serves instead.
sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$source_dir/src/plugins/platforms/windows/qwindowsintegration.cpp"

# Qt 6 takes its cross compiler from a CMake toolchain file; the stopwatch's build reaches the same
# file through Qt's own. A copy, since every clone shares this Qt.
toolchain=$cache/mingw-w64.cmake
as_user cp "$windows/mingw-w64.cmake" "$toolchain"

# Only what the stopwatch and its tests use: Core, Gui, Widgets, the Windows platform plugin and
# Qt Test. The rest is left out so that two busy cores build it in about an hour:
#   opengl, vulkan, direct2d: the window paints with the raster engine through GDI.
#   dbus, sql, network, printsupport, concurrent, xml: no part of the program uses them.
#   qmake, androiddeployqt: the stopwatch builds with CMake, and qmake would bring its own copy of
#     Qt Core to compile.
#   freetype: Windows draws text with DirectWrite and GDI.
#   tabletevent: Debian's source leaves out the Wintab headers that pen tablets need.
#   jpeg, gif, movie, pdf, markdown, odf, systemtrayicon, undo: formats and services it never uses.
#   graphicsview and the widgets and dialogs after it: the window has labels, a line edit and
#     buttons only.
#   style-stylesheet: nothing sets a style sheet.
#   mimetype-database: nothing asks QMimeDatabase; the clipboard and drag and drop name their
#     formats without it.
# and optimize-size compiles Qt for size (-Os): the window repaints a few labels once a second.
build_dir=$cache/qt-build
features=(
    opengl vulkan direct2d dbus sql network printsupport concurrent xml qmake androiddeployqt
    freetype jpeg gif movie pdf textmarkdownreader textmarkdownwriter textodfwriter
    systemtrayicon undocommand tabletevent
    graphicsview mdiarea dockwidget calendarwidget colordialog fontdialog filedialog wizard
    columnview dial lcdnumber keysequenceedit splashscreen datawidgetmapper fontcombobox
    commandlinkbutton style-stylesheet mimetype-database
)
as_user mkdir -p "$build_dir"
cd "$build_dir"
if [ ! -f CMakeCache.txt ]; then
    as_user "$source_dir/configure" -prefix "$prefix" \
        -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32- \
        -qt-host-path /usr -release -optimize-size -shared -nomake examples -nomake tests \
        "${features[@]/#/-no-feature-}" -qt-zlib -qt-libpng -qt-pcre -qt-harfbuzz \
        -- -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
fi
as_user cmake --build . --parallel
as_user cmake --install .

copy_runtime
