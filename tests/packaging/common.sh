# SPDX-License-Identifier: MIT
# Shared by the checks beside it: counting failures, skipping when a tool is missing, a scratch
# folder, and starting and stopping the program.
# shellcheck shell=bash
set -euo pipefail

# shellcheck disable=SC2034 # used by the checks that source this file
readonly app_id=io.github.qvrstopwatch.QvrStopwatch
# shellcheck disable=SC2034
readonly purpose="Use this to keep track of the time elapsed during work on QVRs for the purpose of accurately completing time sheets."

failures=0
work=$(mktemp -d)
program_pid=

cleanup() {
    if [ -n "$program_pid" ]; then
        kill -KILL "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

expect() {
    local what=$1
    shift
    if "$@"; then
        echo "ok      $what"
    else
        echo "FAILED  $what"
        failures=$((failures + 1))
    fi
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "all checks passed"
}

# Exits with CTest's skip code when a tool the check needs is not installed.
need() {
    for tool; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
}

# 1.0.0.6 is shown as 1.00.0006: two digits of minor, four of revision (the fourth part).
display_version() {
    local major minor revision
    IFS=. read -r major minor _ revision <<<"$1"
    printf '%d.%02d.%04d' "$major" "$minor" "${revision:-0}"
}

same() { [ "$1" = "$2" ] || { echo "        expected: $2" && echo "        got:      $1" && false; }; }
contains() { grep -qF -- "$2" "$1"; }
has_line() { grep -qxF -- "$2" "$1"; }

# Starts the program in the background on the offscreen platform, its own arguments after any
# wrapper (env ...), and waits until it handles SIGTERM, so that a signal sent next reaches the
# program's handler rather than killing it before it has one.
start_program() {
    mkdir -p "$work/runtime"
    chmod 700 "$work/runtime"
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" "$@" &
    program_pid=$!
    # The limits here only end a hang; nothing depends on how long the program takes.
    for _ in $(seq 600); do
        if signal_in_mask SigCgt 15; then
            return 0
        fi
        [ "$(program_state)" = running ] || return 1
        sleep 0.1
    done
    return 1
}

# "running", or "exited" once the program has ended. Until it is waited for, an ended program stays
# a zombie, so its process id cannot have been handed to another process.
program_state() {
    local state
    state=$(awk '$1 == "State:" { print $2 }' "/proc/$program_pid/status" 2>/dev/null)
    if [ -z "$state" ] || [ "$state" = Z ]; then echo exited; else echo running; fi
}

# Whether /proc says the program's given signal set (SigCgt, SigIgn) holds signal number $2.
signal_in_mask() {
    local mask
    mask=$(awk -v field="$1:" '$1 == field { print $2 }' "/proc/$program_pid/status" 2>/dev/null)
    [ -n "$mask" ] && (((16#$mask >> ($2 - 1)) & 1))
}

# Sends the signal and sets exit_status to the program's exit status, or to "hung" when it did
# not end. (Not a command substitution: only this shell can wait for the program.)
stop_program() {
    exit_status=0
    kill -s "$1" "$program_pid"
    for _ in $(seq 300); do
        [ "$(program_state)" = exited ] && break
        sleep 0.1
    done
    if [ "$(program_state)" = running ]; then
        kill -KILL "$program_pid"
        exit_status=hung
    fi
    local status=0
    wait "$program_pid" 2>/dev/null || status=$?
    [ "$exit_status" = hung ] || exit_status=$status
    program_pid=
}
