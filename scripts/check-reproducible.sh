#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the release of a commit twice, from two clones in different folders, one after the other,
# with different umask, locale and time zone, and compares the two: their SHA256SUMS, and
# diffoscope's account of any file that differs. The two releases are left in
# build/reproducible/first and build/reproducible/second.
#   bash scripts/check-reproducible.sh [COMMIT] [release.sh options]    (COMMIT: HEAD by default)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

commit=HEAD
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
    commit=$1
    shift
fi
install_missing "$root/scripts/build-packages.txt" "$root/scripts/release-packages.txt" \
    "$root/scripts/reproducible-packages.txt"
# The clones and builds are the user's, even through sudo.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    exec sudo -u "$SUDO_USER" -- bash "$root/scripts/check-reproducible.sh" "$commit" "$@"
fi

commit=$(git -C "$root" rev-parse --verify "$commit^{commit}")
results=$root/build/reproducible
rm -rf "$results"
mkdir -p "$results"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Estonian sorts z between s and t, which shows up anything that sorts by the user's locale.
mkdir "$work/locale"
localedef -i et_EE -f UTF-8 "$work/locale/et_EE.UTF-8"

# release RUN CLONE_FOLDER TEMPORARY_FOLDER UMASK LOCALE ZONE [release.sh options]
release() {
    local run=$1 clone=$2 tmp=$3
    shift 3
    mkdir -p "$clone" "$tmp"
    (
        umask "$1"
        git clone -q --no-checkout "$root" "$clone"
        git -C "$clone" checkout -q --detach "$commit"
        echo "== $run release: in $clone, umask $1, locale $2, zone $3, at $(date -u '+%T UTC')"
        env LOCPATH="$work/locale" LANG="$2" LC_ALL="$2" TZ="$3" TMPDIR="$tmp" \
            bash "$clone/scripts/release.sh" --out "$results/$run" "${@:4}"
    )
}
release first "$work/a" "$work/t" 022 C.UTF-8 UTC "$@"
release second "$work/second/clone in a folder with a longer name" "$work/second/temporary files" \
    077 et_EE.UTF-8 Pacific/Kiritimati "$@"

echo "== comparing"
# An installer carries a package code that Windows Installer wants new for every package built; two
# installers that differ only there count as the same, and are shown with it.
package_code() { msiinfo suminfo "$1" | sed -n 's/^Revision number (UUID): //p'; }
same_but_package_code() {
    local code1 code2
    code1=$(package_code "$1") code2=$(package_code "$2")
    [ ${#code1} -eq 38 ] && [ ${#code2} -eq 38 ] &&
        cmp -s <(LC_ALL=C sed "s/$code1/{package code}/g" "$1") \
            <(LC_ALL=C sed "s/$code2/{package code}/g" "$2")
}
# A .buildinfo records when its build ran, and a .changes the sums of its .buildinfo: two that
# differ only there count as the same, and the lines that differ are shown.
without_build_date() { grep -v '^Build-Date: ' "$1"; }
without_buildinfo_sums() { grep -v '\.buildinfo$' "$1"; }
same_but() {
    if cmp -s <("$1" "$2") <("$1" "$3"); then
        echo "$(basename "$2"): the same but for" && diff "$2" "$3" | grep '^[<>]' || true
        return 0
    fi
    return 1
}
differ=0 package_codes=
for file in $( (ls "$results/first" && ls "$results/second") | sort -u); do
    first=$results/first/$file second=$results/second/$file
    if [ ! -f "$first" ] || [ ! -f "$second" ]; then
        echo "$file was made by one release only"
        differ=1
    elif cmp -s "$first" "$second" || [ "$file" = SHA256SUMS ]; then
        continue
    elif [ "${file##*.}" = buildinfo ] && same_but without_build_date "$first" "$second"; then
        continue
    elif [ "${file##*.}" = changes ] && same_but without_buildinfo_sums "$first" "$second"; then
        continue
    elif [ "${file##*.}" = msi ] && same_but_package_code "$first" "$second"; then
        echo "$file: the same but for its package code, $(package_code "$first") and" \
            "$(package_code "$second")"
        package_codes=" but for the installer's package code"
    else
        diffoscope --no-progress --text - "$first" "$second" || true
        differ=1
    fi
done
echo "first release:"
cat "$results/first/SHA256SUMS"
echo "second release:"
cat "$results/second/SHA256SUMS"
if [ "$differ" -ne 0 ]; then
    echo "The two releases differ."
    exit 1
fi
echo "The two releases are identical$package_codes."
