# SPDX-License-Identifier: MIT
"""Turns what bench/windows.sh measured into tables, prints them and writes them into a Markdown file.

usage: report_windows.py RESULTS_DIR MARKDOWN_FILE MODE SECONDS_TAKEN

Only the part of MARKDOWN_FILE between the two markers below is replaced (added at the end where
there is none), so the Linux part and notes written by hand around it survive a new run.
"""
import statistics
import sys
from pathlib import Path

from report import cost, cost_rows, machine, machine_load, memory, table, verdict, with_block

BEGIN, END = "<!-- windows bench results: begin -->", "<!-- windows bench results: end -->"

STARTUP_RATIO = 1.10
EXTRA_MEMORY_KB = 3 * 1024
EXTRA_PACKED_BYTES = 1 << 20
PACKED_BYTES = int(7.5 * (1 << 20))

PHASES = {"running": "timer running", "idle": "never started", "stopped": "started, then stopped"}
QUIET_PHASES = ("idle", "stopped")
WHO = ("program", "floor")


def mib(size):
    return f"{size / (1 << 20):.2f} MiB"


def fields(path):
    """KEY VALUE lines, the value being the rest of the line."""
    return dict(line.split(" ", 1) for line in path.read_text().splitlines() if line.strip())


def startup_rows(results):
    runs = {w: [float(x) for x in (results / f"startup-{w}.txt").read_text().split()] for w in WHO}
    cold = {w: float((results / f"startup-cold-{w}.txt").read_text()) for w in WHO}
    median = {w: statistics.median(values) for w, values in runs.items()}
    ratio = median["program"] / median["floor"]
    return [
        [f"Start-up, exec to window mapped: median (min–max) of {len(runs['program'])}",
         *(f"{median[w]:.0f} ms ({min(runs[w]):.0f}–{max(runs[w]):.0f})" for w in WHO),
         f"ratio {ratio:.2f}", f"ratio ≤ {STARTUP_RATIO:.2f}",
         verdict(ratio <= STARTUP_RATIO, f"{ratio - STARTUP_RATIO:.2f}")],
        ["Start-up, the first with Wine's server ended", *(f"{cold[w]:.0f} ms" for w in WHO),
         f"ratio {cold['program'] / cold['floor']:.2f}", "", ""],
    ]


def memory_rows(results):
    # Each phase starts the program afresh: the median of the three starts.
    samples = {w: [memory(results / f"memory-{p}-{w}.txt") for p in PHASES] for w in WHO}
    rows = []
    for key in ("VmRSS", "VmHWM"):
        mem = {w: statistics.median(sample[key] for sample in samples[w]) for w in WHO}
        extra = mem["program"] - mem["floor"]
        rows.append([f"{key} 2 s after start, median of {len(PHASES)}",
                     *(f"{mem[w] / 1024:.1f} MiB" for w in WHO),
                     f"{extra / 1024:+.1f} MiB", "≤ floor + 3 MiB",
                     verdict(extra <= EXTRA_MEMORY_KB,
                             f"{(extra - EXTRA_MEMORY_KB) / 1024:.1f} MiB")])
    return rows


def phase_rows(results):
    rows, thread_rows = [], []
    for phase, title in PHASES.items():
        for process, whose in (("cost", ""), ("server", "Wine's server while ")):
            both = [cost(results, phase, w, process) for w in WHO]
            # Wine's server serves every Windows process, its own services too; only what the
            # program itself wakes for has the target.
            rows += cost_rows(f"{whose}{title}", both, phase in QUIET_PHASES and process == "cost")
            if process == "cost":
                thread_rows += [[title, w, ", ".join(f"{n}: {c}" for n, c in
                                                     both[i]["threads"].items() if c)]
                                for i, w in enumerate(WHO)]
    return rows, thread_rows


def size_tables(results):
    sizes = {w: {k: int(v) for k, v in fields(results / f"size-{w}.txt").items()} for w in WHO}
    rows = []
    for kind, title in (("zip", "The zip"), ("msi", "The MSI"), ("folder", "Unpacked")):
        program, floor = sizes["program"][kind], sizes["floor"][kind]
        target, met = "", ""
        if kind != "folder":
            target = f"≤ floor + 1 MiB, ≤ {mib(PACKED_BYTES)}"
            over = max(program - floor - EXTRA_PACKED_BYTES, program - PACKED_BYTES)
            met = verdict(over <= 0, f"{over / 1024:.0f} KiB")
        rows.append([title, f"{mib(program)} ({program} bytes)", mib(floor),
                     f"+{(program - floor) / 1024:.0f} KiB", target, met])
    files = {w: {path: int(size) for size, path in (line.split(" ", 1) for line in
                 (results / f"files-{w}.txt").read_text().splitlines())} for w in WHO}
    file_rows = [[f"`{path}`", f"{files['program'].get(path, 0) / 1024:.0f} KiB",
                  f"{files['floor'][path] / 1024:.0f} KiB" if path in files["floor"] else "—"]
                 for path in sorted(files["program"], key=lambda p: -files["program"][p])]
    return (table(["Size", "qvr-stopwatch", "floor", "difference", "target", "verdict"], rows),
            table(["File (unpacked)", "qvr-stopwatch", "floor"], file_rows))


def report(results, mode, seconds_taken):
    versions = fields(results / "versions.txt")
    linux = dict(machine(results, ("window", "timing", "windows", "bench")))
    machine_rows = [(key, linux[key]) for key in ("CPU", "Cores", "Memory", "Kernel")]
    machine_rows += [("Wine", versions["wine"]), ("Qt for Windows", versions["qt"]),
                     ("Compiler", f"MinGW-w64 GCC {versions['compiler']}"),
                     ("Where", f"Debian {versions['debian']}"),
                     ("Commit", linux["Commit"]), ("Date", linux["Date"])]
    costs, thread_rows = phase_rows(results)
    main_table = table(["Measure", "qvr-stopwatch", "floor", "difference", "target", "verdict"],
                       startup_rows(results) + memory_rows(results) + costs)
    sizes, files = size_tables(results)
    command = "bash bench/run.sh --windows" + (" --quick" if mode == "quick" else "")
    return f"""{BEGIN}
Made by `{command}` ({mode} run, {seconds_taken // 60} min {seconds_taken % 60} s including the
builds). The floor is bench/floor built with the same Qt for Windows and compiler, laid out like
the program (its executable in a copy of the program's folder, without the DLLs it does not load)
and packed by the same windows/package.sh. Both run from their folders under the same Wine, one at
a time, on a private Xvfb display with no window manager.

{table(["Machine", ""], machine_rows)}

{main_table}

{sizes}

How each number is taken:
- Start-up: bench/maptime starts `wine PROGRAM.exe` and times it to the MapNotify of a top-level
  window whose `_NET_WM_PID` is the child's, as on Linux. The first start of each follows
  `wineserver -k`, so it starts Wine's server and services too; then the server is kept running
  (`wineserver -p`), and after one warm-up run each, program and floor alternate.
- Memory: VmRSS and VmHWM of the Wine process from /proc/PID/status 2 s after it starts, at the
  start of each of the three phases below; the median of the three.
- Cost: each program runs alone in each phase, with the pointer in a corner of the screen, away
  from the window; Enter is pressed in its window 0, 1 or 2 times (`xdotool key --window`), then
  after 1 s the process's and Wine's server's CPU time and context switches are read from /proc
  at the start and end of the phase, as on Linux.
- Sizes: the files' bytes; the folder is the one the zip holds.

How busy the machine was:

{table(["Part of the run", "load average at its start", "cores busy during it (all processes)"],
       machine_load(results / "load.txt"))}

Context switches by thread of the Wine process, where there were any:

{table(["Phase", "who", "context switches per thread"], thread_rows)}

The files of the program's folder, largest first:

{files}
{END}"""


def main():
    results, markdown, mode = Path(sys.argv[1]), Path(sys.argv[2]), sys.argv[3]
    block = report(results, mode, int(sys.argv[4]))
    print(block)
    text = markdown.read_text() if markdown.exists() else ""
    markdown.write_text(with_block(text, block, (BEGIN, END), "## Windows, under Wine"))
    print(f"\nWritten to {markdown}")


if __name__ == "__main__":
    main()
