# SPDX-License-Identifier: MIT
"""Turns what bench/run.sh measured into tables, prints them and writes them into a Markdown file.

usage: report.py RESULTS_DIR MARKDOWN_FILE MODE SECONDS_TAKEN

In MARKDOWN_FILE only the part between the two markers below is replaced, so notes written by hand
around it survive a new run.
"""
import datetime
import itertools
import math
import os
import platform
import statistics
import subprocess
import sys
import time
from pathlib import Path

BEGIN, END = "<!-- bench results: begin -->", "<!-- bench results: end -->"

STARTUP_RATIO = 1.15
EXTRA_HWM_KB = 5 * 1024
PAUSED_SWITCHES_PER_S = 0.1
LAG_P99_MS, LAG_MAX_MS = 20, 100

PHASES = {
    "running": "timer running",
    "idle": "never started",
    "stopped": "started, then stopped",
    "active": "never started, window active",
}
# Where the target for a paused program applies: with the window active the name box's text
# cursor blinks, which is the toolkit's doing and the floor's too.
QUIET_PHASES = ("idle", "stopped")


def percentile(values, fraction):
    """Nearest-rank percentile of a non-empty list."""
    ordered = sorted(values)
    return ordered[max(0, math.ceil(fraction * len(ordered)) - 1)]


def memory(path):
    fields = (line.split(":") for line in path.read_text().splitlines())
    return {key: int(value.split()[0]) for key, value in fields}


def snapshot(path):
    lines = path.read_text().splitlines()
    nanoseconds, ticks = map(int, lines[0].split())
    threads = {}
    for line in lines[1:]:
        tid, voluntary, nonvoluntary, name = line.split(" ", 3)
        threads[int(tid)] = (int(voluntary) + int(nonvoluntary), name)
    return nanoseconds, ticks, threads


def cost(results, phase, who, process="cost"):
    ns0, ticks0, threads0 = snapshot(results / f"{process}-{phase}-{who}-before.txt")
    ns1, ticks1, threads1 = snapshot(results / f"{process}-{phase}-{who}-after.txt")
    # A thread born during the phase had no switches before it.
    switches = {
        f"{name} ({'main' if tid == min(threads1) else tid})": count - threads0.get(tid, (0,))[0]
        for tid, (count, name) in sorted(threads1.items())
    }
    return {
        "seconds": (ns1 - ns0) / 1e9,
        "cpu_ms": (ticks1 - ticks0) * 1000 / os.sysconf("SC_CLK_TCK"),
        "switches": sum(switches.values()),
        "threads": switches,
    }


def seconds_of_day(shown):
    hours, minutes, seconds = map(int, shown.split(":"))
    return hours * 3600 + minutes * 60 + seconds


def refreshes(path):
    """Lag of each refresh after the start of the second it shows, and the steps between them."""
    rows = [line.split() for line in path.read_text().splitlines() if line.strip()]
    lags, wrong_second, unreadable = [], 0, 0
    for wall_ms, shown, *_total in rows:
        second = int(wall_ms) // 1000
        candidates = range(second - 3, second + 2)
        match = [s for s in candidates if time.strftime("%H:%M:%S", time.localtime(s)) == shown]
        if not match:
            unreadable += 1
            continue
        wrong_second += match[0] != second
        lags.append(int(wall_ms) - match[0] * 1000)
    steps = [
        (seconds_of_day(b[1]) - seconds_of_day(a[1])) % 86400 for a, b in itertools.pairwise(rows)
    ]
    return {
        "count": len(rows),
        "lags": lags,
        "wrong_second": wrong_second,
        "unreadable": unreadable,
        "skipped": sum(step - 1 for step in steps if 1 < step < 43200),
        "twice": steps.count(0),
        "backwards": sum(1 for step in steps if step >= 43200),
        "span_s": (int(rows[-1][0]) - int(rows[0][0])) / 1000 if rows else 0,
    }


def machine_load(path):
    """Per part of the run: the load average at its start and the cores kept busy during it."""
    records = [line.split() for line in path.read_text().splitlines()]
    rows = []
    for (label, average, *start), (_, _, *end) in itertools.pairwise(records):
        ticks = [int(b) - int(a) for a, b in zip(start, end)]
        idle = ticks[3] + ticks[4]
        busy_cores = (1 - idle / sum(ticks)) * os.cpu_count() if sum(ticks) else 0
        rows.append([label, average, f"{busy_cores:.2f}"])
    return rows


def signed(value, unit):
    text = f"{value:+.2f}"
    return ("+0.00" if text == "-0.00" else text) + unit


def verdict(met, missed_by=""):
    return "met" if met else f"**missed**{' by ' + missed_by if missed_by else ''}"


def machine(results, watched=("window", "timing")):
    def first(path, key):
        for line in Path(path).read_text().splitlines():
            if line.startswith(key):
                return line.split(":", 1)[1].strip()
        return "?"

    def command(*args):
        try:
            return subprocess.run(args, capture_output=True, text=True, check=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            return "?"

    root = Path(__file__).resolve().parent.parent
    commit = command("git", "-C", str(root), "rev-parse", "--short", "HEAD")
    if command("git", "-C", str(root), "status", "--porcelain", "--", *watched):
        commit += f" ({' or '.join(f + '/' for f in watched)} with uncommitted changes)"
    memory_kb = int(first("/proc/meminfo", "MemTotal").split()[0])
    # When the start-up runs ended, so that writing the report again keeps the date of the run.
    measured = datetime.datetime.fromtimestamp(
        (results / "startup-program.txt").stat().st_mtime, datetime.timezone.utc)
    return [
        ("CPU", first("/proc/cpuinfo", "model name")),
        ("Cores", str(os.cpu_count())),
        ("Memory", f"{memory_kb / 1024 / 1024:.1f} GiB"),
        ("Kernel", platform.release()),
        ("Qt", command("dpkg-query", "-W", "-f=${Version}", "libqt6widgets6")),
        ("Compiler", command("g++", "-dumpfullversion")),
        ("Commit", commit),
        ("Date", measured.strftime("%Y-%m-%d %H:%M UTC")),
    ]


def cost_rows(title, both, quiet):
    """The rows of a phase's CPU time and context switches, the program's beside the floor's; in a
    quiet phase the program's switches have the target."""
    cpu = [c["cpu_ms"] / c["seconds"] for c in both]
    rate = [c["switches"] / c["seconds"] for c in both]
    seconds = both[0]["seconds"]
    return [
        [f"CPU time over {seconds:.0f} s, {title}",
         *(f"{c['cpu_ms']:.0f} ms ({c['cpu_ms'] / c['seconds'] / 10:.2f} % of a core)"
           for c in both),
         signed((cpu[0] - cpu[1]) / 10, " % of a core"), "", ""],
        [f"Context switches over {seconds:.0f} s, {title}",
         *(f"{c['switches']} ({c['switches'] / c['seconds']:.2f}/s)" for c in both),
         signed(rate[0] - rate[1], "/s"),
         f"< {PAUSED_SWITCHES_PER_S}/s" if quiet else "",
         verdict(rate[0] < PAUSED_SWITCHES_PER_S, f"{rate[0] - PAUSED_SWITCHES_PER_S:.2f}/s")
         if quiet else ""],
    ]


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows]
    return "\n".join(lines)


def report(results, mode, seconds_taken):
    startup = {who: [float(x) for x in (results / f"startup-{who}.txt").read_text().split()]
               for who in ("program", "floor")}
    median = {who: statistics.median(values) for who, values in startup.items()}
    ratio = median["program"] / median["floor"]
    min_ratio = min(startup["program"]) / min(startup["floor"])
    rows = [[
        f"Start-up, exec to window mapped: median (min–max) of {len(startup['program'])}",
        *(f"{median[w]:.1f} ms ({min(startup[w]):.1f}–{max(startup[w]):.1f})"
          for w in ("program", "floor")),
        f"ratio {ratio:.2f} (of the minimums {min_ratio:.2f})",
        f"ratio ≤ {STARTUP_RATIO}",
        verdict(ratio <= STARTUP_RATIO, f"{ratio - STARTUP_RATIO:.2f}"),
    ]]

    mem = {w: memory(results / f"memory-idle-{w}.txt") for w in ("program", "floor")}
    for key in ("VmRSS", "VmHWM"):
        extra = mem["program"][key] - mem["floor"][key]
        target = key == "VmHWM"
        rows.append([
            f"{key} 2 s after start",
            *(f"{mem[w][key] / 1024:.1f} MiB" for w in ("program", "floor")),
            f"{extra / 1024:+.1f} MiB",
            "≤ floor + 5 MiB" if target else "",
            verdict(extra <= EXTRA_HWM_KB, f"{(extra - EXTRA_HWM_KB) / 1024:.1f} MiB")
            if target else "",
        ])

    costs = {(p, w): cost(results, p, w) for p in PHASES for w in ("program", "floor")}
    for phase, title in PHASES.items():
        rows += cost_rows(title, (costs[phase, "program"], costs[phase, "floor"]),
                          phase in QUIET_PHASES)
    main_table = table(["Measure", "qvr-stopwatch", "floor", "difference", "target", "verdict"],
                       rows)

    ticks = refreshes(results / "ticks.log")
    lags = ticks["lags"] or [float("nan")]
    p99, worst = percentile(lags, 0.99), max(lags)
    faults = ticks["skipped"] + ticks["twice"] + ticks["backwards"] + ticks["wrong_second"]
    faults += ticks["unreadable"]
    precision_rows = [
        ["Refreshes logged", f"{ticks['count']} over {ticks['span_s']:.0f} s", "", ""],
        ["Lag after the second turns: min", f"{min(lags)} ms", "", ""],
        ["median", f"{statistics.median(lags):.0f} ms", "", ""],
        ["p99", f"{p99} ms", f"≤ {LAG_P99_MS} ms",
         verdict(p99 <= LAG_P99_MS, f"{p99 - LAG_P99_MS} ms")],
        ["max", f"{worst} ms", f"≤ {LAG_MAX_MS} ms",
         verdict(worst <= LAG_MAX_MS, f"{worst - LAG_MAX_MS} ms")],
        ["Seconds skipped", ticks["skipped"], "0", ""],
        ["Seconds shown twice", ticks["twice"], "0", ""],
        ["Shown time went back", ticks["backwards"], "0", ""],
        ["Shown second ≠ wall second of the refresh", ticks["wrong_second"], "0", ""],
        ["Shown time not a nearby wall second", ticks["unreadable"], "0",
         verdict(faults == 0, f"{faults} faults")],
    ]
    precision_table = table(["Refresh precision, both cores busy", "qvr-stopwatch", "target",
                             "verdict"], precision_rows)

    thread_rows = [[PHASES[p], w, ", ".join(f"{n}: {c}" for n, c in costs[p, w]["threads"].items())]
                   for p in PHASES for w in ("program", "floor")]
    thread_table = table(["Phase", "who", "context switches per thread"], thread_rows)

    machine_table = table(["Machine", ""], machine(results))
    load_table = table(["Part of the run", "load average at its start",
                        "cores busy during it (all processes)"], machine_load(results / "load.txt"))
    command = "bash bench/run.sh" + (" --quick" if mode == "quick" else "")
    return f"""{BEGIN}
Made by `{command}` ({mode} run, {seconds_taken // 60} min {seconds_taken % 60} s including the
build). The floor is bench/floor: a bare Qt 6 Widgets window of the stopwatch's shape and size
(472×404, a line edit, four buttons, six coloured labels, a 1000 ms QTimer, no picture), driven by
the same keys. Both are Release builds and run side by side on a private Xvfb display.

{machine_table}

{main_table}

{precision_table}

How each number is taken:
- Start-up: bench/maptime forks and execs the program and waits, blocked on the X connection, for
  the MapNotify of a top-level window whose `_NET_WM_PID` is the child's; the time is read from
  the monotonic clock just before the fork and on receipt of the event (no polling). One warm-up
  run each, then program and floor alternate.
- Memory: VmRSS and VmHWM from /proc/PID/status 2 s after exec, in the "never started" phase.
- Cost: each phase starts both programs fresh, presses Enter in each window 0, 1 or 2 times
  (Enter in the name box starts the timer; the focus then sits on Stop, where Enter stops it),
  waits 1 s, then reads utime+stime from /proc/PID/stat (10 ms ticks) and the voluntary and
  nonvoluntary context switches of every thread from /proc/PID/task/*/status, at the start and
  end of the phase. There is no window manager, so a window is active only when given the focus:
  in the first three phases neither is, and both run at once; in the "window active" phase each
  runs alone with the focus (`xdotool windowfocus`), its name box showing the text cursor.
- Refresh precision: the program runs with QVR_STOPWATCH_TICK_LOG while `stress-ng --cpu 2` keeps
  both cores busy at normal priority. The lag of a refresh is its logged wall time minus the start
  of the second it shows; the log is written after the window's own handler has set the label, so
  it counts the handler's work but not the painting that follows.

Context switches by thread (the main thread runs the timers; QXcbEventQueue reads the X
connection):

{thread_table}

How busy the machine was (the refresh precision part includes the two stress-ng workers):

{load_table}
{END}"""


def with_block(text, block, markers=(BEGIN, END), heading="# Performance"):
    """The document with its marked part replaced by block, or with block added under heading at
    its end if it has none."""
    begin = text.find(markers[0])
    end = text.find(markers[1], begin) if begin >= 0 else -1
    if end >= 0:
        return text[:begin] + block + text[end + len(markers[1]):]
    before = text.rstrip("\n") + "\n\n" if text.strip() else ""
    return f"{before}{heading}\n\n{block}\n"


def main():
    results, markdown, mode = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3]
    seconds_taken = int(sys.argv[4])
    block = report(results, mode, seconds_taken)
    print(block)
    markdown.write_text(with_block(markdown.read_text() if markdown.exists() else "", block))
    print(f"\nWritten to {markdown}")


if __name__ == "__main__":
    main()
