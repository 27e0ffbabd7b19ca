#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test; then does the same
# with AddressSanitizer and UndefinedBehaviorSanitizer in a build of its own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing "$root/scripts/build-packages.txt" "$root/scripts/test-packages.txt"
export QT_QPA_PLATFORM=offscreen

build asan -DCMAKE_BUILD_TYPE=Debug -DSTOPWATCH_WERROR=ON -DSTOPWATCH_SANITIZE=ON
(
    cd "$root/build/asan"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    as_user ctest --output-on-failure --timeout 300
)

build test -DCMAKE_BUILD_TYPE=Debug -DSTOPWATCH_WERROR=ON
cd "$root/build/test"
as_user ctest --output-on-failure --timeout 300
