# SPDX-License-Identifier: MIT
"""Checks of the arithmetic in report.py that turns raw measurements into the published numbers."""
import os
import tempfile
import time
import unittest
from pathlib import Path

import report
import report_windows


def wall_ms(hour, minute, second, millis):
    """Milliseconds since the epoch of a local time today."""
    today = time.localtime()
    local = (today.tm_year, today.tm_mon, today.tm_mday, hour, minute, second, 0, 0, -1)
    return int(time.mktime(local)) * 1000 + millis


class Scratch(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def write(self, name, text):
        path = Path(self.folder.name) / name
        path.write_text(text)
        return path


class RefreshesTest(Scratch):
    def log(self, *rows):
        text = "".join(f"{ms} {shown}\n" for ms, shown in rows)
        return report.refreshes(self.write("ticks.log", text))

    def test_lags_are_measured_from_the_start_of_the_shown_second(self):
        result = self.log((wall_ms(10, 0, 1, 5), "10:00:01"), (wall_ms(10, 0, 2, 17), "10:00:02"),
                          (wall_ms(10, 0, 3, 999), "10:00:03"))
        self.assertEqual(result["lags"], [5, 17, 999])
        self.assertEqual((result["skipped"], result["twice"], result["wrong_second"]), (0, 0, 0))

    def test_a_late_refresh_showing_the_previous_second_is_caught(self):
        # Logged 40 ms into 10:00:03 but still showing 10:00:02: the lag runs from 10:00:02.
        result = self.log((wall_ms(10, 0, 2, 6), "10:00:02"), (wall_ms(10, 0, 3, 40), "10:00:02"))
        self.assertEqual(result["lags"], [6, 1040])
        self.assertEqual(result["wrong_second"], 1)
        self.assertEqual(result["twice"], 1)

    def test_skipped_seconds_are_counted_one_by_one(self):
        result = self.log((wall_ms(10, 0, 1, 5), "10:00:01"), (wall_ms(10, 0, 4, 5), "10:00:04"),
                          (wall_ms(10, 0, 5, 5), "10:00:05"))
        self.assertEqual(result["skipped"], 2)
        self.assertEqual(result["twice"], 0)

    def test_midnight_is_a_step_of_one_second(self):
        result = self.log((wall_ms(23, 59, 59, 5), "23:59:59"),
                          (wall_ms(23, 59, 59, 5) + 1000, "00:00:00"))
        self.assertEqual((result["skipped"], result["backwards"]), (0, 0))

    def test_a_time_far_from_the_wall_clock_is_flagged(self):
        result = self.log((wall_ms(10, 0, 1, 5), "03:00:00"))
        self.assertEqual(result["unreadable"], 1)
        self.assertEqual(result["lags"], [])


class MemoryTest(Scratch):
    def test_kilobytes_are_read_per_field(self):
        path = self.write("memory.txt", "VmHWM:\t   33100 kB\nVmRSS:\t   32980 kB\n")
        self.assertEqual(report.memory(path), {"VmHWM": 33100, "VmRSS": 32980})


class CostTest(Scratch):
    def test_switches_are_summed_over_threads_and_a_new_thread_counts_from_zero(self):
        self.write("cost-idle-program-before.txt",
                   "1000000000 50\n10 7 1 main\n11 4 0 QXcbEventQueue\n")
        self.write("cost-idle-program-after.txt",
                   "3000000000 70\n10 9 2 main\n11 4 0 QXcbEventQueue\n12 3 0 Thread (pooled)\n")
        result = report.cost(Path(self.folder.name), "idle", "program")
        self.assertEqual(result["seconds"], 2.0)
        self.assertEqual(result["cpu_ms"], 20 * 1000 / os.sysconf("SC_CLK_TCK"))
        self.assertEqual(result["switches"], 3 + 0 + 3)
        self.assertEqual(result["threads"]["main (main)"], 3)
        self.assertEqual(result["threads"]["Thread (pooled) (12)"], 3)


class MachineLoadTest(Scratch):
    def test_busy_cores_come_from_the_idle_share_between_consecutive_records(self):
        # Fields after the load average: user nice system idle iowait irq softirq steal.
        path = self.write("load.txt", "idle 0.10 100 0 0 900 0 0 0 0\n"
                                      "running 0.20 400 0 100 1400 100 0 0 0\n"
                                      "end 0.30 400 0 100 2400 100 0 0 0\n")
        rows = report.machine_load(path)
        cores = os.cpu_count()
        self.assertEqual(rows[0], ["idle", "0.10", f"{0.4 * cores:.2f}"])
        self.assertEqual(rows[1], ["running", "0.20", f"{0.0:.2f}"])


class DocumentTest(unittest.TestCase):
    def test_only_the_marked_part_is_replaced(self):
        text = f"# Title\nbefore\n{report.BEGIN}\nold numbers\n{report.END}\nafter, by hand\n"
        self.assertEqual(report.with_block(text, f"{report.BEGIN}\nnew\n{report.END}"),
                         f"# Title\nbefore\n{report.BEGIN}\nnew\n{report.END}\nafter, by hand\n")

    def test_a_document_without_markers_is_started_afresh(self):
        block = f"{report.BEGIN}\nnew\n{report.END}"
        self.assertEqual(report.with_block("", block), f"# Performance\n\n{block}\n")


class VerdictTest(Scratch):
    """The whole report on made-up results that sit on either side of each target."""

    def results(self, program_ms, program_hwm_kb, paused_switches, late_ms):
        self.write("startup-program.txt", f"{program_ms}\n" * 3)
        self.write("startup-floor.txt", "100\n" * 3)
        for who, hwm in (("program", program_hwm_kb), ("floor", 30000)):
            self.write(f"memory-idle-{who}.txt", f"VmHWM:\t{hwm} kB\nVmRSS:\t{hwm} kB\n")
            for phase in report.PHASES:
                after = paused_switches if who == "program" and phase == "stopped" else 0
                self.write(f"cost-{phase}-{who}-before.txt", "0 0\n1 0 0 main\n")
                self.write(f"cost-{phase}-{who}-after.txt", f"60000000000 0\n1 {after} 0 main\n")
        # One late refresh among 200 is beyond the 99th percentile, so only the worst shows it.
        ticks = [(wall_ms(10, s // 60, s % 60, 7), f"10:{s // 60:02}:{s % 60:02}")
                 for s in range(199)]
        ticks.append((wall_ms(10, 3, 19, late_ms), "10:03:19"))
        self.write("ticks.log", "".join(f"{ms} {shown}\n" for ms, shown in ticks))
        self.write("load.txt", "start-up 0.0 1 0 0 1 0 0 0 0\nend 0.0 1 0 0 2 0 0 0 0\n")
        return report.report(Path(self.folder.name), "quick", 60)

    def verdicts(self, text):
        rows = [line.removesuffix(" |").split(" | ") for line in text.splitlines()]
        return {row[0][2:]: row[-1] for row in rows if row[-1] == "met" or "missed" in row[-1]}

    def test_everything_inside_its_target_is_met(self):
        verdicts = self.verdicts(self.results(115, 30000 + 5 * 1024, 5, 100))
        self.assertEqual(len(verdicts), 7)
        self.assertTrue(all(v == "met" for v in verdicts.values()), verdicts)

    def test_each_target_overstepped_is_missed_by_the_excess(self):
        verdicts = self.verdicts(self.results(120, 30000 + 6 * 1024, 12, 130))
        start_up = next(v for k, v in verdicts.items() if k.startswith("Start-up"))
        self.assertEqual(start_up, "**missed** by 0.05")
        self.assertEqual(verdicts["VmHWM 2 s after start"], "**missed** by 1.0 MiB")
        stopped = "Context switches over 60 s, started, then stopped"
        self.assertEqual(verdicts[stopped], "**missed** by 0.10/s")
        self.assertEqual(verdicts["max"], "**missed** by 30 ms")


class WindowsSizeTest(Scratch):
    """A package has two limits: its own size, and how far it may grow past the floor's."""

    def verdicts(self, program_zip, floor_zip):
        for who, size in (("program", program_zip), ("floor", floor_zip)):
            self.write(f"size-{who}.txt", f"zip {size}\nmsi {size}\nfolder {4 * size}\n")
            self.write(f"files-{who}.txt", f"{size} qvr-stopwatch.exe\n")
        sizes, _ = report_windows.size_tables(Path(self.folder.name))
        return [line.rsplit(" | ", 1)[1].removesuffix(" |") for line in sizes.splitlines()[2:4]]

    def test_each_limit_holds_on_its_own(self):
        mib = 1 << 20
        self.assertEqual(self.verdicts(7 * mib, 6 * mib), ["met"] * 2)
        self.assertEqual(self.verdicts(7 * mib, 6 * mib - 2048), ["**missed** by 2 KiB"] * 2)
        self.assertEqual(self.verdicts(15 * mib // 2 + 3072, 7 * mib), ["**missed** by 3 KiB"] * 2)


class PercentileTest(unittest.TestCase):
    def test_nearest_rank(self):
        values = list(range(1, 201))
        self.assertEqual(report.percentile(values, 0.99), 198)
        self.assertEqual(report.percentile(values, 0.5), 100)
        self.assertEqual(report.percentile([7], 0.99), 7)


if __name__ == "__main__":
    unittest.main()
