#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows build, kept in windows/: see windows/build.sh.
exec bash "$(dirname "${BASH_SOURCE[0]}")/../windows/build.sh" "$@"
