#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Debian source package of a release's source archive for each Debian release, builds
# each with sbuild in a clean chroot of that release, and checks the packages with lintian.
#   build-debian.sh prepare [RELEASE...]
#       as root: installs sbuild and its helpers, gives the building user subordinate ids, and
#       makes the chroots that are missing
#   build-debian.sh build SOURCE_ARCHIVE FOLDER [RELEASE...]
#       as the building user: puts the source packages, the binary packages with their -dbgsym,
#       the .buildinfo and .changes files and the build logs in FOLDER (new or empty)
#   build-debian.sh test FOLDER [RELEASE...]
#       as the building user: runs the packages' own tests (debian/tests) with autopkgtest against
#       the binary package in FOLDER, installed with apt into a fresh copy of the release's chroot;
#       its logs go to build/autopkgtest/RELEASE and RELEASE.out there
# RELEASE is bookworm or trixie; both without one. The chroots are tarballs made by mmdebstrap from
# the Debian archive this machine uses, kept in STOPWATCH_SBUILD_CACHE (default
# /var/cache/qvr-stopwatch/sbuild) and remade once a week; sbuild unpacks a fresh copy for each
# build, updates it and installs the Build-Depends, so a build sees nothing of an earlier one.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

die() {
    echo "build-debian.sh: $*" >&2
    exit 1
}
usage() {
    echo "usage: bash scripts/build-debian.sh prepare [bookworm|trixie...]" >&2
    echo "       bash scripts/build-debian.sh build SOURCE_ARCHIVE FOLDER [bookworm|trixie...]" >&2
    echo "       bash scripts/build-debian.sh test FOLDER [bookworm|trixie...]" >&2
    exit 2
}

cache=${STOPWATCH_SBUILD_CACHE:-/var/cache/qvr-stopwatch/sbuild}
arch=$(dpkg --print-architecture)

# The Debian version that each release's build carries: below the next release's, so that an
# upgrade of Debian moves to the package built for it.
revision_for() {
    case $1 in
    bookworm) echo deb12u1 ;;
    trixie) echo deb13u1 ;;
    *) die "unknown Debian release '$1': bookworm or trixie" ;;
    esac
}
releases() {
    if [ $# -eq 0 ]; then set -- bookworm trixie; fi
    for release; do revision_for "$release" >/dev/null && echo "$release"; done
}

# The user who builds: the one who asked through sudo, or the one running this.
builder() {
    if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ]; then echo "$SUDO_USER"; else id -un; fi
}

# sbuild's unshare mode maps the chroot's users onto the builder's subordinate ids; a user with none
# is given 65536 after the highest given to anyone.
give_subordinate_ids() {
    local user=$1 first
    if grep -q "^$user:" /etc/subuid 2>/dev/null && grep -q "^$user:" /etc/subgid 2>/dev/null; then
        return 0
    fi
    first=$(cat /etc/subuid /etc/subgid 2>/dev/null |
        awk -F: 'BEGIN { next_free = 100000 }
                 $2 + $3 > next_free { next_free = $2 + $3 } END { print next_free }')
    usermod --add-subuids "$first-$((first + 65535))" --add-subgids "$first-$((first + 65535))" \
        "$user"
}

make_chroot() {
    local release=$1 tarball=$cache/$1-$arch.tar.zst uri partial
    # Remade once a week, so that the updates each build downloads stay few.
    if [ -n "$(find "$tarball" -maxdepth 0 -mtime -7 2>/dev/null)" ]; then
        return 0
    fi
    uri=$(debian_archive)
    /usr/lib/apt/apt-helper download-file "$uri/dists/$release/Release" "$cache/.Release.$$" \
        >/dev/null 2>&1 || {
        rm -f "$cache/.Release.$$"
        die "cannot make the $release chroot: the Debian archive $uri cannot be reached"
    }
    rm -f "$cache/.Release.$$"
    echo "Making the $release chroot from $uri"
    # Made under a name no build looks for and renamed when whole: an interrupted run leaves no
    # tarball that a later one would take.
    partial=$cache/.$release-$arch.$$.tar.zst
    trap 'rm -f "$partial"' EXIT
    mmdebstrap --quiet --variant=buildd --mode=unshare "$release" "$partial" "$uri" ||
        die "cannot make the $release chroot: mmdebstrap failed (its messages are above)"
    chmod 644 "$partial"
    mv "$partial" "$tarball"
    trap - EXIT
}

prepare() {
    [ "$(id -u)" -eq 0 ] ||
        die "root rights are needed to install sbuild and make the chroots: run it as root or with sudo"
    install_missing <(printf '%s\n' sbuild mmdebstrap uidmap zstd lintian dpkg-dev autopkgtest)
    give_subordinate_ids "$(builder)"
    # Readable by the user who builds, whatever the umask.
    install -d -m 755 "$(dirname "$cache")" "$cache"
    # What an interrupted run left under a temporary name is no use to anyone.
    find "$cache" -maxdepth 1 -name '.*.tar.zst' -mmin +120 -delete
    for release in $(releases "$@"); do
        make_chroot "$release"
    done
}

build() {
    local archive=$1 out=$2 version upstream name
    shift 2
    [ -f "$archive" ] || die "no source archive at $archive"
    if [ -e "$out" ] && [ -n "$(ls -A "$out")" ]; then die "$out is not empty"; fi
    for release in $(releases "$@"); do
        [ -f "$cache/$release-$arch.tar.zst" ] ||
            die "no $release chroot in $cache: run 'sudo bash scripts/build-debian.sh prepare' first"
    done
    grep -q "^$(id -un):" /etc/subuid 2>/dev/null ||
        die "$(id -un) has no subordinate ids for sbuild: run 'sudo bash scripts/build-debian.sh prepare' first"
    mkdir -p "$out"
    out=$(cd "$out" && pwd)
    # The packages take their time stamps from the changelog's date, as any rebuild of the source
    # package with dpkg-buildpackage does, not from a time the caller set.
    unset SOURCE_DATE_EPOCH
    local work
    work=$(mktemp -d "${TMPDIR:-/tmp}/qvr-stopwatch-debian.XXXXXX")
    # shellcheck disable=SC2064 # the folder is known now
    trap "rm -rf '$work'" EXIT

    tar -xzf "$archive" -C "$work"
    upstream=$(cd "$work" && echo *)
    [ -d "$work/$upstream/packaging/debian" ] || die "$archive holds no packaging/debian"
    name=$(dpkg-parsechangelog -l "$work/$upstream/packaging/debian/changelog" -S Source)
    version=$(dpkg-parsechangelog -l "$work/$upstream/packaging/debian/changelog" -S Version)
    version=${version%%-*}
    # The release's source archive is the upstream tarball as it is.
    cp "$archive" "$out/${name}_$version.orig.tar.gz"
    printf '1;\n' >"$work/sbuildrc"

    for release in $(releases "$@"); do
        local revision tree full dsc log
        revision=$(revision_for "$release")
        tree=$work/$release/$name-$version
        mkdir -p "$tree"
        cp -a "$work/$upstream/." "$tree/"
        cp -a "$tree/packaging/debian" "$tree/debian"
        # One source package for each release, from the same upstream tarball: only the first line
        # of the changelog differs.
        sed -i "1s/^\([^ ]* ([^)~]*\)~[^)]*) [^;]*;/\1~$revision) $release;/" "$tree/debian/changelog"
        full=$(dpkg-parsechangelog -l "$tree/debian/changelog" -S Version)
        [ "$full" = "$version-1~$revision" ] || die "changelog gives version $full for $release"
        ln -sf "$out/${name}_$version.orig.tar.gz" "$work/$release/"
        (cd "$work/$release" && dpkg-source --build "$name-$version" >/dev/null)
        dsc=${name}_$full.dsc
        mv "$work/$release/$dsc" "$work/$release/${name}_$full.debian.tar.xz" "$out/"

        log=$out/${name}_${full}_$arch.build
        echo "Building $name $full in a clean $release chroot (log: $log)"
        local started=$SECONDS status=0
        SBUILD_CONFIG=$work/sbuildrc sbuild --chroot-mode=unshare \
            --chroot="$cache/$release-$arch.tar.zst" --dist="$release" --arch-any --no-arch-all \
            --no-source --no-run-lintian --no-run-autopkgtest --no-run-piuparts --nolog \
            --build-path="/build/$name-$version" --build-dir="$out" "$out/$dsc" \
            >"$log" 2>&1 </dev/null || status=$?
        if [ "$status" -ne 0 ]; then
            case $(sed -n 's/^Fail-Stage: //p' "$log" | tail -n 1) in
            install-deps) die "the Build-Depends of $name $full cannot be installed in the $release chroot; see $log" ;;
            fetch-src | unpack) die "sbuild could not unpack $dsc; see $log" ;;
            create-session) die "sbuild could not start the $release chroot (no subordinate ids or user namespaces?); see $log" ;;
            *) die "building $name $full for $release failed; see the end of $log" ;;
            esac
        fi
        echo "  built in $((SECONDS - started)) s"
        # Errors and warnings fail; the informational and pedantic tags are shown.
        status=0
        lintian --fail-on error,warning --display-info --pedantic --tag-display-limit 0 \
            "$out/${name}_${full}_$arch.changes" "$out/$dsc" >"$work/lintian.log" 2>&1 || status=$?
        grep -v '^running with root privileges' "$work/lintian.log" | sed 's/^/  lintian: /' || true
        [ "$status" -eq 0 ] ||
            die "lintian finds errors or warnings in $name $full for $release (above)"
    done
    rm -f "$out"/*_source.changes
}

run_tests() {
    local folder=$1 failed=()
    shift
    for release in $(releases "$@"); do
        local revision dsc deb results status=0 started=$SECONDS
        revision=$(revision_for "$release")
        dsc=$(find "$folder" -maxdepth 1 -name "*~${revision}.dsc" | head -n 1)
        deb=$(find "$folder" -maxdepth 1 -name "qvr-stopwatch_*~${revision}_$arch.deb" | head -n 1)
        [ -n "$dsc" ] && [ -n "$deb" ] || die "no $release source and binary package in $folder"
        [ -f "$cache/$release-$arch.tar.zst" ] ||
            die "no $release chroot in $cache: run 'sudo bash scripts/build-debian.sh prepare' first"
        results=$root/build/autopkgtest/$release
        rm -rf "$results"
        mkdir -p "$(dirname "$results")"
        echo "Testing $(basename "$deb") installed in a clean $release chroot (logs: $results)"
        # The tests come from the source package; the package under test is the one built. The
        # chroot holds no package lists (mmdebstrap leaves none), and autopkgtest installs its own
        # helpers first: --apt-upgrade fetches the lists before that, and updates the chroot, as
        # sbuild does for a build.
        autopkgtest --quiet --apt-upgrade --output-dir "$results" "$deb" "$dsc" -- \
            unshare --release "$release" --arch "$arch" --tarball "$cache/$release-$arch.tar.zst" \
            </dev/null >"$results.out" 2>&1 || status=$?
        sed 's/^/  /' "$results/summary" 2>/dev/null || tail -n 20 "$results.out"
        echo "  tested in $((SECONDS - started)) s"
        # 2: some test was skipped, which counts as a failure here.
        [ "$status" -eq 0 ] || failed+=("$release (autopkgtest status $status)")
    done
    [ ${#failed[@]} -eq 0 ] ||
        die "the installed package's tests failed on ${failed[*]}; see $root/build/autopkgtest"
}

case ${1:-} in
prepare) shift && prepare "$@" ;;
test) [ $# -ge 2 ] || usage && shift && run_tests "$@" ;;
build) [ $# -ge 3 ] || usage && shift && build "$@" ;;
*) usage ;;
esac
