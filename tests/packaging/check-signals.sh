#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A desktop session ends programs with SIGTERM at logout, and a terminal with SIGINT: either must
# close the window and end the program with exit status 0. A SIGINT that the caller chose to
# ignore (a shell's background job) must stay ignored. Usage: check-signals.sh PROGRAM
# shellcheck source=tests/packaging/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
program=$1
[ -d /proc/self ] || { echo "skipped: no /proc to watch the program's signal handlers"; exit 77; }

for signal in TERM INT; do
    expect "program starts and handles SIGTERM" start_program env --default-signal=INT "$program"
    stop_program "$signal"
    expect "SIG$signal ends the program with status 0" same "$exit_status" 0
done

expect "program starts with SIGINT ignored" start_program env --ignore-signal=INT "$program"
expect "SIGINT stays ignored" signal_in_mask SigIgn 2
kill -s INT "$program_pid"
# An ignored signal is dropped when it is sent, so the program cannot have acted on it later.
expect "program still runs after the ignored SIGINT" same "$(program_state)" running
stop_program TERM
expect "SIGTERM then ends it with status 0" same "$exit_status" 0

finish
