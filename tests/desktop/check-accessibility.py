# SPDX-License-Identifier: MIT
"""Reads the stopwatch's window through AT-SPI, as a screen reader would, and prints what it finds.

Run by check-accessibility.sh inside a private D-Bus session with the program already started.
Exits 1 when something a screen reader user needs is missing.
"""
import sys
import time

import pyatspi

from screenreader import (APP_NAME, TIME, action_names, buttons, check, controls,
                          find_application, labels, press, related, verdict)

BUTTONS = ("Start Timer", "Stop Timer", "Clear Timer", "Quit")
CAPTIONS = ("Beginning Time", "Ending Time", "Total Elapsed Time")
WINDOW_ROLES = (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW, pyatspi.ROLE_DIALOG)


def main():
    app = find_application(timeout=15)
    if not check(app is not None, f"application {APP_NAME!r} on the accessibility bus"):
        return 1
    window = app.getChildAtIndex(0)
    check("QVR Stop Watch" in window.name, f"window named {window.name!r}")
    # Screen readers read the title of a frame; a filler, Qt's role for a plain widget, they skip.
    check(window.getRole() in WINDOW_ROLES, f"window role {window.getRoleName()!r}")

    texts = [c for c in controls(window) if c.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)]
    if check(len(texts) == 1, f"one name box (role text), found {len(texts)}"):
        check(texts[0].name.strip() != "", f"name box has an accessible name: {texts[0].name!r}")

    found = buttons(window)
    for name in BUTTONS:
        button = found.get(name)
        if check(button is not None, f"button {name!r}"):
            check(button.description.strip() != "",
                  f"button {name!r} describes itself: {button.description!r}")
            check(bool(action_names(button)), f"button {name!r} actions {action_names(button)}")

    start = found.get("Start Timer")
    if start is None or not check(press(start), "pressed 'Start Timer' through its action"):
        return 1
    # The times are refreshed once a second; 1.5 s brings at least one refresh.
    time.sleep(1.5)

    print(f"window title now {window.name!r}")
    shown = labels(window)
    times = [c for c in shown if TIME.match(c.name)]
    check(len(times) == 3, f"three time labels, found {[t.name for t in times]}")
    for caption in CAPTIONS:
        matches = [c for c in shown if c.name == caption]
        if not check(len(matches) == 1, f"caption label {caption!r}"):
            continue
        label_for = related(matches[0], pyatspi.RELATION_LABEL_FOR)
        check(len(label_for) == 1 and TIME.match(label_for[0]) is not None,
              f"{caption!r} is the label for {label_for}")
        labelled = [t.name for t in times if caption in related(t, pyatspi.RELATION_LABELLED_BY)]
        check(len(labelled) == 1, f"{caption!r} labels the time {labelled}")
    return verdict()


if __name__ == "__main__":
    sys.exit(main())
