# SPDX-License-Identifier: MIT
"""Reads the stopwatch's window through AT-SPI, as a screen reader would, and prints what it finds.

Run by check-accessibility.sh inside a private D-Bus session with the program already started.
Exits 1 when something a screen reader user needs is missing.
"""
import re
import sys
import time

import pyatspi

APP_NAME = "qvr-stopwatch"
BUTTONS = ("Start Timer", "Stop Timer", "Clear Timer", "Quit")
CAPTIONS = ("Beginning Time", "Ending Time", "Total Elapsed Time")
TIME = re.compile(r"^ \d\d:\d\d:\d\d $")
WINDOW_ROLES = (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW, pyatspi.ROLE_DIALOG)

problems = []


def check(ok, message):
    print(("ok      " if ok else "MISSING ") + message)
    if not ok:
        problems.append(message)
    return ok


def find_application(timeout):
    # The program registers with the accessibility bus some time after it starts.
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == APP_NAME and app.childCount > 0:
                return app
        time.sleep(0.2)
    return None


def related(accessible, relation_type):
    names = []
    for relation in accessible.getRelationSet():
        if relation.getRelationType() == relation_type:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return names


def controls(window):
    return [window.getChildAtIndex(i) for i in range(window.childCount)]


def action_names(accessible):
    try:
        action = accessible.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def press(button):
    action = button.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() in ("press", "click"):
            return action.doAction(i)
    return False


def main():
    app = find_application(timeout=15)
    if not check(app is not None, f"application {APP_NAME!r} on the accessibility bus"):
        return 1
    window = app.getChildAtIndex(0)
    check("QVR Stop Watch" in window.name, f"window named {window.name!r}")
    # Screen readers expect a top-level window to be a frame, but Qt 6.4 exposes a plain QWidget
    # window as a filler; that is noted rather than failed.
    mark = "ok      " if window.getRole() in WINDOW_ROLES else "NOTE    "
    print(f"{mark}window role {window.getRoleName()!r}")

    children = controls(window)
    texts = [c for c in children if c.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)]
    if check(len(texts) == 1, f"one name box (role text), found {len(texts)}"):
        check(texts[0].name.strip() != "", f"name box has an accessible name: {texts[0].name!r}")

    buttons = {c.name: c for c in children if c.getRole() == pyatspi.ROLE_PUSH_BUTTON}
    for name in BUTTONS:
        button = buttons.get(name)
        if check(button is not None, f"button {name!r}"):
            check(button.description.strip() != "",
                  f"button {name!r} describes itself: {button.description!r}")
            check(bool(action_names(button)), f"button {name!r} actions {action_names(button)}")

    start = buttons.get("Start Timer")
    if start is None or not check(press(start), "pressed 'Start Timer' through its action"):
        return 1
    # The times are refreshed once a second; 1.5 s brings at least one refresh.
    time.sleep(1.5)

    children = controls(window)
    print(f"window title now {window.name!r}")
    labels = [c for c in children if c.getRole() == pyatspi.ROLE_LABEL]
    times = [c for c in labels if TIME.match(c.name)]
    check(len(times) == 3, f"three time labels, found {[t.name for t in times]}")
    for caption in CAPTIONS:
        matches = [c for c in labels if c.name == caption]
        if not check(len(matches) == 1, f"caption label {caption!r}"):
            continue
        label_for = related(matches[0], pyatspi.RELATION_LABEL_FOR)
        check(len(label_for) == 1 and TIME.match(label_for[0]) is not None,
              f"{caption!r} is the label for {label_for}")
        labelled = [t.name for t in times if caption in related(t, pyatspi.RELATION_LABELLED_BY)]
        check(len(labelled) == 1, f"{caption!r} labels the time {labelled}")

    if problems:
        print(f"{len(problems)} missing")
        return 1
    print("all present")
    return 0


if __name__ == "__main__":
    sys.exit(main())
