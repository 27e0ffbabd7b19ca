# SPDX-License-Identifier: MIT
"""Uses the stopwatch with the keyboard under Orca and checks what Orca says at each step, from the
texts that reach the speech server's voice.

Run by check-screen-reader.sh inside a private D-Bus session, with Orca and the speech server
started; the voice writes each text it is given as a line of WORK_FOLDER/spoken.txt:
  check-screen-reader.py orca-first PROGRAM WORK_FOLDER ORCA_PID
  check-screen-reader.py program-first PROGRAM_PID WORK_FOLDER ORCA_PID
Orca first, the check starts the program and uses it throughout; the program first, started with
accessibility off before Orca, the check reads its window, its times and Stop's new caption.
Exits 1 when something is not heard as it must be.
"""
import os
import pathlib
import re
import signal
import subprocess
import sys
import time

from screenreader import check, verdict

START_TITLE = "  QVR Stop Watch"
SUFFIX = "            Zembo's QVR Stopwatch "
TIME = re.compile(r" \d\d:\d\d:\d\d ")
# Orca's desktop keys: Insert is its modifier; the keypad reviews the window line by line.
READ_TITLE = "KP_Insert+KP_Enter"
PREVIOUS_LINE, CURRENT_LINE, NEXT_LINE = "KP_Home", "KP_Up", "KP_Page_Up"
TOOLTIPS = {"Start Timer": " Starts the Timer  ", "Stop Timer": " Stops the Timer  "}


def orca_version():
    # Workaround: read from its files, since "orca --version" (Orca 43 in Debian 12; Orca 48 runs
    # the same way, not tried otherwise) is a second Orca for a moment, which the one starting
    # beside it would take for a screen reader already running, and refuse to start. Can go when
    # the screen-reader test passes with the version read from "orca --version".
    from orca import orca_platform
    return int(orca_platform.version.split(".")[0])


# Orca 43 (Debian 12) says "push button" and then the tooltip, and speaks a button's new caption
# alone. Orca 48 (Debian 13) says "button", leaves out a tooltip so like the caption, and presents
# the button again under its new caption.
if orca_version() < 48:
    def focused_button(caption):
        return [f"{caption} push button", TOOLTIPS[caption]]

    def new_caption(caption):
        return [caption]
else:
    def focused_button(caption):
        return [f"{caption} button"]

    def new_caption(caption):
        return [f"{caption} button"]


class Orca:
    """What Orca has said, read as the voice writes it. (Orca's debug log holds the same, but
    it reaches the file late, in blocks.)"""

    def __init__(self, spoken):
        self.spoken = pathlib.Path(spoken)
        # What an earlier Orca said is left out.
        self.heard = self.said()

    def said(self):
        text = self.spoken.read_text(errors="replace") if self.spoken.exists() else ""
        # A sentence ends with a full stop that Orca adds; the words themselves are kept exactly.
        return [line.removesuffix(".") for line in text.splitlines()]

    def listen(self, until, timeout=15, settle=0.7):
        """Everything said from now on, once `until` holds for it and nothing more comes for a
        moment, or when the time is up."""
        start = len(self.heard)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.heard = self.said()
            if until(self.heard[start:]):
                time.sleep(settle)
                self.heard = self.said()
                break
            time.sleep(0.1)
        return self.heard[start:]


def keys(*names):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True, timeout=10)
        time.sleep(0.3)


def in_order(expected):
    """True once the utterances hold the expected ones, in order, each exactly."""
    def holds(heard):
        rest = iter(heard)
        return all(any(said == want for said in rest) for want in expected)
    return holds


def step(orca, what, pressed, expected):
    keys(*pressed)
    heard = orca.listen(in_order(expected))
    return check(in_order(expected)(heard), f"{what}: heard {heard}, expecting {expected}")


def orca_started(orca, work):
    if check(orca.listen(in_order(["Screen reader on"]), timeout=60), "Orca started and speaks"):
        return True
    for log in ("orca.out", "speech.out"):
        print(f"{log}:\n" + pathlib.Path(work, log).read_text(errors="replace")[-3000:])
    return False


def orca_first(orca, program):
    env = dict(os.environ, QT_QPA_PLATFORM="xcb")
    # What Qt says about the bus as Orca leaves is kept out of the way.
    with open(os.path.join(os.path.dirname(orca.spoken), "program.log"), "a") as log:
        stopwatch = subprocess.Popen([program], env=env, stderr=log)
    opened = orca.listen(lambda heard: "Company Name selected" in heard, timeout=30)
    check(any(said.startswith(START_TITLE) for said in opened) and
          in_order(["Name text", "Company Name selected"])(opened),
          f"window opens: heard {opened}")

    step(orca, "title bar before Start", [READ_TITLE], [START_TITLE])
    # Flat review from the name box down: each row's button and caption, its empty time unheard.
    step(orca, "flat review before Start", [CURRENT_LINE, NEXT_LINE, NEXT_LINE, NEXT_LINE],
         ["Company Name", "Start Timer Beginning Time", "Stop Timer Ending Time",
          "Clear Timer Total Elapsed Time"])
    step(orca, "Tab to Start", ["Tab"], focused_button("Start Timer"))
    step(orca, "Tab to Stop", ["Tab"], focused_button("Stop Timer"))
    step(orca, "back to the name box", ["shift+Tab", "shift+Tab"],
         ["Name text", "Company Name selected"])

    step(orca, "Enter starts timing", ["Return"], focused_button("Stop Timer"))
    quiet = orca.listen(lambda heard: False, timeout=2.5, settle=0)
    check(not quiet, f"nothing said while the timer runs: heard {quiet}")
    step(orca, "title bar while timing", [READ_TITLE], ["Company Name" + SUFFIX])
    total_by_flat_review(orca)

    step(orca, "Space on Stop Timer", ["space"], new_caption("Continue"))
    step(orca, "Space on Continue", ["space"], new_caption("Stop Timer"))
    step(orca, "Enter on Stop Timer", ["Return"], new_caption("Continue"))
    step(orca, "Enter on Continue", ["Return"], new_caption("Stop Timer"))
    return stopwatch


def program_first(orca):
    """The window was open before Orca started: each step is prefixed, as its own row."""
    step(orca, "program first: title bar before Start", [READ_TITLE], [START_TITLE])
    step(orca, "program first: flat review before Start",
         [CURRENT_LINE, NEXT_LINE, NEXT_LINE, NEXT_LINE],
         ["Company Name", "Start Timer Beginning Time", "Stop Timer Ending Time",
          "Clear Timer Total Elapsed Time"])
    step(orca, "program first: Enter starts timing", ["Return"], focused_button("Stop Timer"))
    # Flat review from Stop Timer's row: the row above, then down to the total.
    rows = ["Start Timer Beginning Time", "Stop Timer Ending Time",
            "Clear Timer Total Elapsed Time"]
    keys(PREVIOUS_LINE, NEXT_LINE, NEXT_LINE)
    shown = orca.listen(lambda heard: any(rows[-1] in said for said in heard))
    check(all(any(said.startswith(row) and TIME.search(said) for said in shown) for row in rows),
          f"program first: the three times by flat review: heard {shown}")
    step(orca, "program first: Space on Stop Timer", ["space"], new_caption("Continue"))


def total_by_flat_review(orca):
    keys(CURRENT_LINE, NEXT_LINE)
    total = orca.listen(lambda heard: any("Total Elapsed Time" in said for said in heard))
    check(any(said.startswith("Clear Timer Total Elapsed Time") and TIME.search(said)
              for said in total), f"the total by flat review: heard {total}")


def main():
    order, program, work, orca_pid = sys.argv[1:5]
    orca = Orca(os.path.join(work, "spoken.txt"))
    if not orca_started(orca, work):
        return 1
    stopwatch = orca_first(orca, program) if order == "orca-first" else program_first(orca)

    # Workaround: Orca (43 in Debian 12; 48 runs the same way, not tried otherwise) handles a
    # signal only when an event wakes it, so it is asked to end while the program still runs and
    # its ticks still come. Can go when Orca says "Screen reader off" to a SIGTERM sent after the
    # program has ended.
    os.kill(int(orca_pid), signal.SIGTERM)
    orca.listen(in_order(["Screen reader off"]), timeout=10, settle=0)
    if stopwatch:
        stopwatch.send_signal(signal.SIGTERM)
        check(stopwatch.wait(timeout=10) == 0, "the program ends with status 0")
    return verdict()


if __name__ == "__main__":
    sys.exit(main())
