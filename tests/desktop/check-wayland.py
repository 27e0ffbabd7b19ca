# SPDX-License-Identifier: MIT
"""Drives the stopwatch on a headless weston through AT-SPI, and reads weston's scene graph to see
the window as the compositor has it.

Run by check-wayland.sh inside a private D-Bus session with the program already started:
  check-wayland.py PID APP_ID [SCREENSHOT]
Exits 1 when something is wrong.
"""
import pathlib
import subprocess
import sys
import tempfile
import time

from screenreader import (APP_NAME, buttons, check, find_application, labelled_time, press,
                          seconds, verdict)

START_TITLE = "  QVR Stop Watch"


def compositor_view(pid):
    """The scene graph's line for the program's window and the window's position under it."""
    graph = subprocess.run(["weston-debug", "scene-graph"], capture_output=True, text=True,
                           timeout=10, check=True).stdout.splitlines()
    for i, line in enumerate(graph):
        if "role xdg_toplevel" in line and f"PID {pid}," in line:
            return line.strip(), graph[i + 1].strip() if i + 1 < len(graph) else ""
    return "", ""


def expect_view(pid, title, app_id):
    view, position = compositor_view(pid)
    check(f"top-level window '{title}' of {app_id}," in view,
          f"weston shows the program's window {title!r} of {app_id}: {view!r}")
    print(f"        placed by weston at {position}")


def shown_total(window, timeout):
    """The first total of a second or more, or the last one seen when none came in time."""
    deadline = time.monotonic() + timeout
    total = None
    while time.monotonic() < deadline:
        total = labelled_time(window, "Total Elapsed Time")
        if total is not None and seconds(total) >= 1:
            break
        time.sleep(0.1)
    return total


def take_screenshot(path):
    # weston-screenshooter names its picture after the time, in the folder it runs in.
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run(["weston-screenshooter"], cwd=folder, check=True, timeout=10)
        pictures = list(pathlib.Path(folder).glob("*.png"))
        if check(len(pictures) == 1, f"screenshot {path}"):
            pictures[0].replace(path)


def main():
    pid, app_id = int(sys.argv[1]), sys.argv[2]
    app = find_application(timeout=15)
    if not check(app is not None, f"application {APP_NAME!r} on the accessibility bus"):
        return 1
    window = app.getChildAtIndex(0)
    check(window.name == START_TITLE, f"window title {window.name!r}")
    expect_view(pid, START_TITLE, app_id)

    found = buttons(window)
    started = time.monotonic()
    if not check("Start Timer" in found and press(found["Start Timer"]), "pressed 'Start Timer'"):
        return 1
    total = shown_total(window, timeout=10)
    # No more than the time that has really passed since the press, give or take a second.
    limit = time.monotonic() - started + 1
    check(total is not None and 1 <= seconds(total) <= limit,
          f"total a second after Start: {total!r}, at most {limit:.1f} s")
    check(window.name.startswith("Company Name"), f"window title now {window.name!r}")
    expect_view(pid, window.name, app_id)
    if len(sys.argv) > 3:
        take_screenshot(sys.argv[3])

    check("Quit" in found and press(found["Quit"]), "pressed 'Quit'")
    return verdict()


if __name__ == "__main__":
    sys.exit(main())
