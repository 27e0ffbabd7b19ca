# SPDX-License-Identifier: MIT
"""What the checks that drive the stopwatch over AT-SPI share: finding it on the accessibility bus
as a screen reader would, reading its controls, pressing its buttons and reporting each finding."""
import re
import time

import pyatspi
from gi.repository import Gio, GLib

APP_NAME = "qvr-stopwatch"
TIME = re.compile(r"^ (\d\d+):(\d\d):(\d\d) $")

problems = []


def check(ok, message):
    print(("ok      " if ok else "MISSING ") + message)
    if not ok:
        problems.append(message)
    return ok


def verdict():
    if problems:
        print(f"{len(problems)} missing")
        return 1
    print("all present")
    return 0


def a11y_bus():
    """A connection of our own to the accessibility bus, for requests pyatspi cannot make."""
    session = Gio.bus_get_sync(Gio.BusType.SESSION)
    address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                None, GLib.VariantType("(s)"), 0, -1).unpack()[0]
    return Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)


def memory(pid, field):
    """A memory figure of the process from /proc, in kB: VmRSS (resident now) or VmHWM (its peak)."""
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith(field + ":"))


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


def buttons(window):
    return {c.name: c for c in controls(window) if c.getRole() == pyatspi.ROLE_PUSH_BUTTON}


def labels(window):
    return [c for c in controls(window) if c.getRole() == pyatspi.ROLE_LABEL]


def labelled_time(window, caption):
    """The time shown beside the caption, or None while that box is blank."""
    for label in labels(window):
        if TIME.match(label.name) and caption in related(label, pyatspi.RELATION_LABELLED_BY):
            return label.name
    return None


def seconds(shown):
    hours, minutes, secs = (int(part) for part in TIME.match(shown).groups())
    return (hours * 60 + minutes) * 60 + secs


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
