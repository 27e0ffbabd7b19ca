#!/usr/bin/env bash
# Installs what is missing, builds the stopwatch (Release) and starts it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_missing "$root/scripts/build-packages.txt"
build release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
as_user "$root/build/release/window/qvr-stopwatch"
