#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the tests with Clang (on GCC's libstdc++) with warnings as errors, in build/clang, and
# runs them all, to catch what only one of the two compilers warns about.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing "$root/scripts/build-packages.txt" "$root/scripts/test-packages.txt" <(echo clang)
export QT_QPA_PLATFORM=offscreen

build clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DSTOPWATCH_WERROR=ON
cd "$root/build/clang"
as_user ctest --output-on-failure --timeout 300
