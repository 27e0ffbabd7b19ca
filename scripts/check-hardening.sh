#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that the program in a Debian package is hardened as Debian's own packages are: with
# hardening-check on the packaged program, and, for what that tool cannot see in this program, in
# the build that made it.
#   check-hardening.sh DEB BUILD_FOLDER|BUILD_LOG
# BUILD_FOLDER is the CMake build the package came from, made with CMAKE_EXPORT_COMPILE_COMMANDS;
# BUILD_LOG is sbuild's log of the build, whose compile commands Ninja printed (the build's objects
# stay in the chroot, so their control-flow marks are not checked then).
set -euo pipefail
deb=$1 build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {
    local what=$1
    shift
    if "$@"; then echo "ok      $what"; else echo "FAILED  $what" && failures=$((failures + 1)); fi
}

dpkg-deb --extract "$deb" "$work/root"
echo "hardening-check of the packaged program:"
report=$(hardening-check --verbose "$work/root/usr/bin/qvr-stopwatch") || true
echo "$report"
verdict() { sed -n "s/^ $1: //p" <<<"$report"; }
starts() { case $1 in "$2"*) return 0 ;; *) return 1 ;; esac }

# Every translation unit must have been compiled with all of them. (An argument holding a space is
# quoted there; the quotes are dropped.)
if [ -d "$build" ]; then
    commands=$(grep '"command":' "$build/compile_commands.json" | sed 's/\\"//g')
else
    commands=$(grep -E '^\[[0-9]+/[0-9]+\] /usr/bin/c\+\+ .* -c ' "$build" | sed 's/\\"//g')
fi
check "compile commands found" test -n "$commands"
flags=(-fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wformat -Werror=format-security
       -fstack-clash-protection -fcf-protection -ffile-prefix-map=)
compiled_with() { ! grep -q -v -e " $1" <<<"$commands"; }
for flag in "${flags[@]}"; do
    check "every file compiled with $flag" compiled_with "$flag"
done
optimised() { ! grep -q -v -E -e ' -O[123s]( |$)' <<<"$commands"; }
check "every file optimised, as fortified calls need" optimised

check "position independent executable" starts "$(verdict 'Position Independent Executable')" yes
check "stack protector" starts "$(verdict 'Stack protected')" yes
check "read-only relocations" starts "$(verdict 'Read-only relocations')" yes
check "immediate binding" starts "$(verdict 'Immediate binding')" yes

# The program's own calls of the C library that _FORTIFY_SOURCE guards all have sizes the compiler
# proves safe, or sizes known only at run time, where it adds no check; the tool then finds no
# checked call and says "no". The flags above are what make it fortified.
fortify=$(verdict 'Fortify Source functions')
fortified() {
    starts "$fortify" yes || starts "$fortify" unknown ||
        starts "$fortify" "no, only unprotected functions found"
}
check "fortified C library calls (hardening-check: $fortify)" fortified

# Probes are only emitted for stack frames of a page or more, which this program does not have.
clash=$(verdict 'Stack clash protection')
probed() { starts "$clash" yes || starts "$clash" unknown; }
check "stack clash protection (hardening-check: $clash)" probed

# The linker marks a program as fit for control-flow protection only when every object in it is
# marked; Debian 12's C library start files are not, so no program there is marked. Each object
# compiled here must be.
cet() { readelf -n "$1" 2>/dev/null | grep -q 'x86 feature: IBT, SHSTK'; }
unmarked_objects() {
    find "$build" -name '*.o' -print0 | while IFS= read -r -d '' object; do
        cet "$object" || echo "$object"
    done
}
unmarked_start_files() {
    local compiler
    compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
    for file in crt1.o Scrt1.o crti.o crtn.o; do
        cet "$("$compiler" -print-file-name=$file)" || echo "$file"
    done
}
cfi=$(verdict 'Control flow integrity')
if starts "$cfi" yes; then
    check "control-flow protection" true
elif [ ! -d "$build" ]; then
    echo "not checked: control-flow marks of the objects, which stay in the build chroot"
else
    check "every object compiled here marked for control-flow protection" \
        test -z "$(unmarked_objects)"
    start_files=$(unmarked_start_files | tr '\n' ' ')
    check "control-flow protection missing only because the C library's start files lack it" \
        test -n "$start_files"
    [ -z "$start_files" ] || echo "        unmarked start files: $start_files"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures hardening check(s) failed"
    exit 1
fi
echo "the packaged program is hardened"
