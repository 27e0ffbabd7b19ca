# Shared by bench/run.sh and bench/windows.sh: how a process's cost and the machine's load are read.
# Both write into the results folder $out.
# shellcheck shell=bash

# One line: the wall time in ns and the process's CPU ticks (utime + stime), then a line per
# thread: its id, voluntary and nonvoluntary context switches, and its name.
snapshot() {
    local stat fields
    read -r stat <"/proc/$1/stat"
    read -ra fields <<<"${stat##*) }"
    echo "$(date +%s%N) $((fields[11] + fields[12]))"
    awk -F'\t' '/^Name:/ {name = $2} /^Pid:/ {tid = $2} /^voluntary_ctxt/ {vol = $2}
                /^nonvoluntary_ctxt/ {print tid, vol, $2, name}' /proc/"$1"/task/*/status
}

# Other work on the machine skews every number; the load average and the machine's busy time (the
# cpu line of /proc/stat) at the start of each part of a run show whether there was any.
load() {
    local cpu
    read -r cpu </proc/stat
    # shellcheck disable=SC2154 # the caller's results folder
    echo "$1 $(cut -d' ' -f1 /proc/loadavg) ${cpu#cpu }" >>"$out/load.txt"
}
