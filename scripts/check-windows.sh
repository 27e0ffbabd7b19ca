#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows checks, kept in windows/: see windows/check.sh.
exec bash "$(dirname "${BASH_SOURCE[0]}")/../windows/check.sh" "$@"
