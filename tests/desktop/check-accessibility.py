# SPDX-License-Identifier: MIT
"""Reads the stopwatch's window through AT-SPI, as a screen reader would, and prints what it finds.

Run by check-accessibility.sh inside a private D-Bus session with the program already started:
  check-accessibility.py PID
Exits 1 when something a screen reader user needs is missing, or a request at the edges of what
AT-SPI allows goes unanswered, changes what it should not or costs the program memory.
"""
import os
import signal
import subprocess
import sys
import time

import pyatspi
from gi.repository import Gio, GLib

from screenreader import (APP_NAME, TIME, a11y_bus, action_names, buttons, check, controls,
                          find_application, labels, memory, press, related, verdict)

BUTTONS = ("Start Timer", "Stop Timer", "Clear Timer", "Quit")
CAPTIONS = ("Beginning Time", "Ending Time", "Total Elapsed Time")
WINDOW_ROLES = (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW, pyatspi.ROLE_DIALOG)
SCREEN, WINDOW = 0, 1
SUFFIX = "            Zembo's QVR Stopwatch "
BIGGEST, SMALLEST = 2**31 - 1, -2**31


REGISTRY, ROOT = "org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"


def call(bus, name, path, interface, method, arguments=None, answer=None):
    return bus.call_sync(name, path, interface, method, arguments,
                         GLib.VariantType(answer) if answer else None, 0, 1000).unpack()


def listed(bus):
    """The bus names of the applications the registry lists, as a new screen reader finds them;
    asking starts a registry that is not running, as any client's request does."""
    try:
        children = call(bus, REGISTRY, ROOT, "org.a11y.atspi.Accessible", "GetChildren", None,
                        "(a(so))")[0]
    except GLib.Error:
        return []
    names = []
    for name, path in children:
        try:
            if call(bus, name, path, "org.freedesktop.DBus.Properties", "Get",
                    GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "Name")))[0] == APP_NAME:
                names.append(name)
        except GLib.Error:
            pass
    return names


def listed_within(bus, seconds):
    """How long the program took to be listed, or None when it was not listed in time."""
    started = time.monotonic()
    while time.monotonic() < started + seconds:
        if listed(bus):
            return time.monotonic() - started
        time.sleep(0.05)
    return None


def set_status(session, **values):
    """Sets the session's accessibility status as a screen reader and the desktop do."""
    for name, value in values.items():
        call(session, "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
             GLib.Variant("(ssv)", ("org.a11y.Status", name, GLib.Variant("b", value))))


def turned_on_while_running():
    """The program started with accessibility off is listed once a screen reader turns it on, and
    again after it is turned off and on."""
    session, bus = Gio.bus_get_sync(Gio.BusType.SESSION), a11y_bus()
    set_status(session, ScreenReaderEnabled=True)
    took = listed_within(bus, 5)
    check(took is not None, f"listed {took and round(took, 2)} s after a screen reader turned on")
    set_status(session, ScreenReaderEnabled=False, IsEnabled=False)
    time.sleep(0.5)
    set_status(session, IsEnabled=True)
    took = listed_within(bus, 5)
    check(took is not None, f"listed {took and round(took, 2)} s after accessibility turned off "
                            f"and on again")


def registry_restarts(pid, rounds=10):
    """Each time the registry ends and another starts, the program is listed again at once, once,
    and reads as before; the restarts cost it no memory."""
    bus = a11y_bus()
    before, times = memory(pid, "VmRSS"), []
    for _ in range(rounds):
        registry = call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                        "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                        GLib.Variant("(s)", (REGISTRY,)), "(u)")[0]
        os.kill(registry, signal.SIGTERM)
        while call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                   "NameHasOwner", GLib.Variant("(s)", (REGISTRY,)), "(b)")[0]:
            time.sleep(0.01)
        times.append(listed_within(bus, 5))
    check(None not in times, f"listed again after each of {rounds} registry restarts, within "
                             f"{max(t or 99 for t in times):.2f} s")
    names = listed(bus)
    check(len(names) == 1, f"listed once after them: {names}")
    if names:
        window = call(bus, names[0], ROOT, "org.a11y.atspi.Accessible", "GetChildAtIndex",
                      GLib.Variant("(i)", (0,)), "((so))")[0]
        shown = [call(bus, *child, "org.freedesktop.DBus.Properties", "Get",
                      GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "Name")))[0]
                 for child in call(bus, *window, "org.a11y.atspi.Accessible", "GetChildren", None,
                                   "(a(so))")[0]]
        check(any(TIME.match(name) for name in shown), f"a time read after them: {shown}")
    # A release build grows by nothing here; the sanitizer build keeps what is freed for a while
    # (its leak check finds what is never freed), and grew by up to 1 MiB.
    grown = memory(pid, "VmRSS") - before
    check(grown < 4096, f"resident memory grew by {grown} kB over the restarts")


def ask(bus, accessible, interface, method, signature, *arguments):
    """The answer to an AT-SPI request, or None when none comes within a second."""
    try:
        return bus.call_sync(accessible.app.bus_name, accessible.path, "org.a11y.atspi." + interface,
                             method, GLib.Variant(signature, arguments), None, 0, 1000).unpack()
    except GLib.Error as error:
        check(False, f"{interface}.{method}{arguments} answered: {error.message}")
        return None


def refused(bus, accessible, interface, method, signature, *arguments):
    """Whether the request is refused within a second, as a method the object does not have."""
    try:
        bus.call_sync(accessible.app.bus_name, accessible.path, "org.a11y.atspi." + interface,
                      method, GLib.Variant(signature, arguments), None, 0, 1000)
    except GLib.Error as error:
        return "org.freedesktop.DBus.Error.UnknownMethod" in error.message
    return False


# Workaround: pyatspi (2.46 in Debian 12) answers a name from its cache, which goes stale when the
# name changes, so names are asked for over D-Bus. Can go when the accessibility test passes with
# accessible.name in place of name_of.
def name_of(bus, accessible):
    """The object's name as it answers now, not as pyatspi last heard of it."""
    return bus.call_sync(accessible.app.bus_name, accessible.path,
                         "org.freedesktop.DBus.Properties", "Get",
                         GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "Name")),
                         None, 0, 1000).unpack()[0]


def requests_at_the_edges(pid, window, box):
    """Asks what no program must take on trust: positions and lengths at 2^31 - 1, ranges from 0
    and from -2^31 to 2^31 - 1. Each is answered at once with nothing, leaves the name as it was and
    costs no memory; requests that make sense still edit the name."""
    bus = a11y_bus()
    name = box.queryText().getText(0, -1)
    before = memory(pid, "VmHWM")
    nothing = (-1, -1, 0, 0)
    for request, expected in [
            (("EditableText", "InsertText", "(isi)", BIGGEST, "x", 1), (False,)),
            (("EditableText", "InsertText", "(isi)", 0, "y", BIGGEST), (False,)),
            (("EditableText", "DeleteText", "(ii)", -1, 0), (False,)),
            (("EditableText", "CutText", "(ii)", SMALLEST, BIGGEST), (False,)),
            (("EditableText", "SetTextContents", "(s)", name), (False,)),
            (("Text", "GetRangeExtents", "(iiu)", 0, BIGGEST, SCREEN), nothing),
            (("Text", "GetRangeExtents", "(iiu)", SMALLEST, BIGGEST, WINDOW), nothing),
            (("Text", "GetBoundedRanges", "(iiiiuuu)", 0, 0, 1000, 1000, SCREEN, 0, 0), ([],))]:
        started = time.monotonic()
        answer = ask(bus, box, *request)
        check(answer == expected, f"{request[1]}{request[3:]} answered {answer} "
                                  f"in {time.monotonic() - started:.3f} s")
    for request in [("Text", "GetText", "()"), ("EditableText", "DeleteText", "(i)", 0),
                    ("Component", "GetExtents", "()")]:
        check(refused(bus, box, *request), f"{request[:2]} without its arguments refused")
    check(box.queryText().getText(0, -1) == name, f"name still {name!r}")

    # A button, a caption, the beginning time and the window offer no editable text: every edit of theirs,
    # at every edge, is refused and changes nothing.
    beginning = [label for label in labels(window)
                 if "Beginning Time" in related(label, pyatspi.RELATION_LABELLED_BY)]
    captions = [label for label in labels(window) if label.name == "Ending Time"]
    # Start's action clicks the button a moment later; the title changes with the beginning time.
    deadline = time.monotonic() + 2
    while beginning and not TIME.match(name_of(bus, beginning[0])) and time.monotonic() < deadline:
        time.sleep(0.05)
    others = [buttons(window)["Start Timer"], window] + beginning + captions
    for accessible in others:
        known = name_of(bus, accessible)
        edges = (SMALLEST, -1, 0, len(known), len(known) + 1, BIGGEST)
        requests = [("SetTextContents", "(s)", "x")] + [("PasteText", "(i)", p) for p in edges]
        requests += [(method, "(ii)", a, b) for method in ("CopyText", "CutText", "DeleteText")
                     for a in edges for b in edges]
        requests += [("InsertText", "(isi)", a, "y", b) for a in edges for b in edges]
        unanswered = [r for r in requests if not refused(bus, accessible, "EditableText", *r)]
        check(not unanswered, f"{len(requests)} edits of {accessible.getRoleName()} {known!r} "
                              f"refused at once{f', not {unanswered[:3]}' if unanswered else ''}")
        check(name_of(bus, accessible) == known, f"{accessible.getRoleName()} still {known!r}")
    grown = memory(pid, "VmHWM") - before
    check(grown < 64 * 1024, f"peak memory grew by {grown} kB")

    check(ask(bus, box, "EditableText", "InsertText", "(isi)", 0, "ab", 1) == (True,)
          and ask(bus, box, "EditableText", "DeleteText", "(ii)", 0, 1) == (True,)
          and box.queryText().getText(0, -1) == name, "one letter inserted and deleted again")

    # Window coordinates are screen coordinates less the window's place, sizes unchanged; only a
    # window away from the screen's corner tells the two apart.
    def extents(accessible, coordinates):
        answer = ask(bus, accessible, "Component", "GetExtents", "(u)", coordinates)
        return answer[0] if answer else (0, 0, 0, 0)

    wx, wy, _, _ = extents(window, SCREEN)
    check(wx > 0 and wy > 0, f"window away from the screen's corner, at ({wx}, {wy})")
    for accessible in [window] + controls(window):
        x, y, width, height = extents(accessible, SCREEN)
        inside = extents(accessible, WINDOW)
        check(inside == (x - wx, y - wy, width, height),
              f"{accessible.name!r} at {inside} in the window, {(x, y, width, height)} on screen")
        check(ask(bus, accessible, "Component", "Contains", "(iiu)",
                  x - wx + width, y - wy, WINDOW) == (False,),
              f"{accessible.name!r} ends at its right edge in window coordinates")


def a_name_as_long_as_the_box_takes(bus, box):
    """Every request about the longest name the box takes is answered within a second (each would
    take minutes if each character of a range were measured from the name's start), and where the
    box shows the same text as for a short name, its places are the same."""
    longest = 32767
    name = box.queryText().getText(0, -1)
    # Wider than the box, so that either name shows its end. The filler's width is a whole number
    # of pixels (a multiple of 64 characters, glyph advances being 64ths of a pixel), so the two
    # names' ends are laid out alike to the pixel.
    tail = " " + " ".join(f"task {i}" for i in range(60))
    tail = tail.ljust(longest % 64 + 64 * ((len(tail) + 63) // 64), ".")
    found = {}
    for text in (tail, "x" * (longest - len(tail)) + tail):
        n = len(text)
        ask(bus, box, "EditableText", "SetTextContents", "(s)", text)
        x, y, width, height = ask(bus, box, "Component", "GetExtents", "(u)", SCREEN)[0]
        requests = {"whole": ("GetRangeExtents", "(iiu)", 0, -1, SCREEN),
                    "end": ("GetRangeExtents", "(iiu)", n - 100, n, SCREEN),
                    "last": ("GetCharacterExtents", "(iu)", n - 1, SCREEN),
                    "at left": ("GetOffsetAtPoint", "(iiu)", x + 4, y + height // 2, SCREEN),
                    "at right": ("GetOffsetAtPoint", "(iiu)", x + width - 4, y + height // 2,
                                 SCREEN)}
        answers, slowest = {}, 0
        for key, request in requests.items():
            started = time.monotonic()
            answers[key] = ask(bus, box, "Text", *request)
            slowest = max(slowest, time.monotonic() - started)
        found[n] = answers
        print(f"a name of {n} characters: every request answered within {slowest:.3f} s")
    short, long = found[len(tail)], found[longest]
    shift = longest - len(tail)
    for key in ("end", "last"):
        check(long[key] == short[key],
              f"{key} of the long name {long[key]}, of the short {short[key]}")
    for key in ("at left", "at right"):
        check(long[key] and short[key] and long[key][0] == short[key][0] + shift,
              f"offset {key} {long[key]} in the long name, {short[key]} + {shift} in the short")
    if long["whole"] and short["whole"]:
        (lx, _, lw, _), (sx, _, sw, _) = long["whole"], short["whole"]
        check(lx + lw == sx + sw and lw > sw + shift,
              f"the long name reaches from {lx} to {lx + lw}, the short from {sx} to {sx + sw}")
    ask(bus, box, "EditableText", "SetTextContents", "(s)", name)


def a_name_typed_and_entered(window, box, pid):
    """A name typed into the box and entered, as a user does while timing, is the window's title
    and restarts the beginning time."""
    name = "Timesheet 42"
    box.queryComponent().grabFocus()
    # Key events sent to the window reach the widget with the focus, without a window manager.
    shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                           capture_output=True, text=True).stdout.split()[0]
    for keys in (["key", "ctrl+a"], ["type", name], ["key", "Return"]):
        subprocess.run(["xdotool", keys[0], "--window", shown, *keys[1:]], check=True,
                       stderr=subprocess.DEVNULL)
    bus = a11y_bus()
    deadline = time.monotonic() + 2
    while name_of(bus, window) != name + SUFFIX and time.monotonic() < deadline:
        time.sleep(0.05)
    check(name_of(bus, window) == name + SUFFIX, f"title after a name and Enter: "
                                                 f"{name_of(bus, window)!r}")
    check(any(TIME.match(label.name) and "Beginning Time" in related(label,
                                                                     pyatspi.RELATION_LABELLED_BY)
              for label in labels(window)), "a beginning time shown after it")


def main(pid):
    turned_on_while_running()
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
    if texts:
        requests_at_the_edges(pid, window, texts[0])
        a_name_as_long_as_the_box_takes(a11y_bus(), texts[0])
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
    if texts:
        a_name_typed_and_entered(window, texts[0], pid)
    registry_restarts(pid)
    return verdict()


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1])))
