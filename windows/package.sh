#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Packages a Windows build: lays out the program without symbols (cmake --install --strip), signs
# the executable, zips the folder, makes the MSI from windows/qvr-stopwatch.wxs and the components
# that windows/components.cmake writes from that folder with wixl, and signs that. build.sh runs it;
# check-installer.sh runs it again with a throwaway certificate.
#   package.sh BUILD_FOLDER OUTPUT_FOLDER [INSTALLER_WXI_FOLDER]
#   package.sh --staged FOLDER OUTPUT_FOLDER INSTALLER_WXI_FOLDER
# The installer's names and numbers come from the build's installer.wxi unless another folder holds
# the one to use (check-installer.sh makes a later version that way). With --staged, FOLDER is a
# program laid out already, packed as it is and named after it (bench/windows.sh packs the floor so).
# It signs when QVR_STOPWATCH_SIGN_PFX names a PKCS#12 file holding a code-signing certificate and
# its key, unlocked by QVR_STOPWATCH_SIGN_PASSWORD; QVR_STOPWATCH_SIGN_TIMESTAMP may name an
# RFC 3161 time-stamping server, which keeps the signature valid after the certificate expires.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
staged=no
if [ "${1:-}" = --staged ]; then
    staged=yes
    shift
    program=$(realpath "$1")
else
    build_dir=$(realpath "$1")
    program=$(realpath -m "$2/stage/$(cat "$build_dir/package-name")")
fi
out=$(realpath "$2")
name=$(basename "$program")
wxi_dir=$(realpath "${3:-$1}")
wxi_value() { sed -n "s/.*define $1=\"\(.*\)\"?>.*/\1/p" "$wxi_dir/installer.wxi"; }

sign() {
    if [ -z "${QVR_STOPWATCH_SIGN_PFX:-}" ]; then
        echo "Not signed, since QVR_STOPWATCH_SIGN_PFX is not set: $(basename "$1")"
        return 0
    fi
    local password timestamp=()
    # In a file only the user can read, rather than on a command line anyone's ps shows.
    password=$(as_user mktemp)
    printf '%s' "${QVR_STOPWATCH_SIGN_PASSWORD:-}" | as_user tee "$password" >/dev/null
    [ -n "${QVR_STOPWATCH_SIGN_TIMESTAMP:-}" ] && timestamp=(-ts "$QVR_STOPWATCH_SIGN_TIMESTAMP")
    if ! as_user osslsigncode sign -pkcs12 "$QVR_STOPWATCH_SIGN_PFX" -readpass "$password" \
        -h sha256 -n "$(wxi_value ProductName)" -i "$(wxi_value Homepage)" "${timestamp[@]}" \
        -in "$1" -out "$1.signed" >/dev/null; then
        rm -f "$password" "$1.signed"
        echo "Signing $(basename "$1") failed" >&2
        exit 1
    fi
    rm -f "$password"
    as_user mv "$1.signed" "$1"
    echo "Signed: $(basename "$1")"
}

if [ "$staged" = no ]; then
    as_user rm -rf "$program"
    as_user cmake --install "$build_dir" --prefix "$program" --strip >/dev/null
    sign "$program/qvr-stopwatch.exe"
fi

zip=$out/$name.zip
msi=$out/$name.msi
as_user rm -f "$zip" "$msi"
# A release gives every file its commit's time (SOURCE_DATE_EPOCH); zipped in one order too, two
# builds of a commit give the same bytes.
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    find "$program" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
fi
(cd "$program/.." && find "$name" | LC_ALL=C sort | as_user zip -q -X -@ "$zip")
# wixl looks files up relative to the current folder only.
icon=$(realpath --relative-to="$out" "$root/resources/stopwatch.ico")
# wixl dates the installer with the clock; a release's date is its commit's. The package code it
# draws afresh each time, as Windows Installer wants of every package built.
at_release_time=()
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    at_release_time=(faketime -f "@$(date -d "@$SOURCE_DATE_EPOCH" '+%F %T')")
fi
components=$out/components.wxs
as_user cmake -DSTAGE="$program" -DWXI="$wxi_dir/installer.wxi" -DOUTPUT="$components" \
    -P "$windows/components.cmake"
(cd "$out" && as_user "${at_release_time[@]}" wixl --arch x64 --includedir "$wxi_dir" \
    --define "StageDir=$(realpath --relative-to="$out" "$program")" --define "IconFile=$icon" \
    --define "ProductCode=$(cat "$components.product-code")" \
    --define "SizeKiB=$(du -sk --apparent-size "$program" | cut -f1)" \
    --output "$msi" "$windows/qvr-stopwatch.wxs" "$components")
sign "$msi"
ls -l "$zip" "$msi"
