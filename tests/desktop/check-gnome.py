# SPDX-License-Identifier: MIT
"""Uses the stopwatch on a headless mutter as a user would, through mutter's remote desktop
interface, and finds where the window is from the pointer positions the program is told of.

Run by check-gnome.sh inside a private D-Bus session, with mutter and the program started:
  check-gnome.py LOG
where LOG is the program's protocol dump (WAYLAND_DEBUG=1). Exits 1 when something is wrong.
"""
import re
import sys
import time

from gi.repository import Gio, GLib

from screenreader import check, verdict

MUTTER = "org.gnome.Mutter.RemoteDesktop"
BTN_LEFT = 0x110
SUPER, UP = 0xFFEB, 0xFF52
# Where the title bar that Qt draws itself puts the middle of its maximise button: 40 pixels left
# of the window's right edge, 15 below its top; and a point on its title.
MAXIMISE_FROM_RIGHT, BUTTON_Y = 40, 15
TITLE = (80, 15)
# Wayland 1.23 (Debian 13) writes an object's number after # rather than @.
POINTER = r"wl_pointer[@#]\d+\.(enter|leave|motion)\((.*)\)$"
CONFIGURE = r"xdg_toplevel[@#]\d+\.configure\("
TOPLEVEL_SURFACE = r"get_xdg_surface\(new id xdg_surface[@#]\d+, (wl_surface[@#]\d+)\)"


class ProtocolLog:
    """The program's side of the conversation, read as it grows."""

    def __init__(self, path):
        self.path = path

    def lines(self):
        with open(self.path, errors="replace") as log:
            return log.read().splitlines()

    def toplevel_surface(self):
        for line in self.lines():
            found = re.search(TOPLEVEL_SURFACE, line)
            if found:
                return found.group(1)
        return None

    def pointer(self, surface):
        """The pointer's last position on the given surface, or None when it is elsewhere."""
        where = None
        on_surface = False
        for line in self.lines():
            found = re.search(POINTER, line)
            if not found:
                continue
            event, args = found.group(1), [a.strip() for a in found.group(2).split(",")]
            if event == "enter":
                on_surface = args[1] == surface
                where = (float(args[2]), float(args[3])) if on_surface else None
            elif event == "leave":
                on_surface, where = False, None
            elif on_surface:
                where = (float(args[1]), float(args[2]))
        return where

    def count(self, pattern):
        return sum(1 for line in self.lines() if re.search(pattern, line))

    def window_size(self):
        sizes = [m.groups() for m in (re.search(r"set_window_geometry\(0, 0, (\d+), (\d+)\)", line)
                                      for line in self.lines()) if m]
        return tuple(map(int, sizes[-1])) if sizes else None


class Desktop:
    """Pointer and keyboard of a remote desktop session; the pointer is moved only relatively,
    which needs no screen cast, from the top-left corner where it is first pushed."""

    def __init__(self, timeout):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        deadline = time.monotonic() + timeout
        while True:
            try:
                self.session = self.call("/org/gnome/Mutter/RemoteDesktop", MUTTER,
                                         "CreateSession").unpack()[0]
                break
            except GLib.Error:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.2)
        self.call(self.session, MUTTER + ".Session", "Start")
        # Pushed twice, in case the first push comes before the session's pointer is ready.
        for _ in range(2):
            time.sleep(0.2)
            self.relative(-100000, -100000)
        self.x = self.y = 0

    def call(self, path, interface, method, args=None):
        return self.bus.call_sync(MUTTER, path, interface, method, args, None, 0, 10000, None)

    def relative(self, dx, dy):
        self.call(self.session, MUTTER + ".Session", "NotifyPointerMotionRelative",
                  GLib.Variant("(dd)", (float(dx), float(dy))))

    def move(self, x, y):
        self.relative(x - self.x, y - self.y)
        self.x, self.y = x, y

    def button(self, pressed):
        self.call(self.session, MUTTER + ".Session", "NotifyPointerButton",
                  GLib.Variant("(ib)", (BTN_LEFT, pressed)))

    def key(self, keysym, pressed):
        self.call(self.session, MUTTER + ".Session", "NotifyKeyboardKeysym",
                  GLib.Variant("(ub)", (keysym, pressed)))

    def click(self, x, y):
        self.move(x, y)
        time.sleep(0.1)
        self.button(True)
        self.button(False)


def settle(log, pattern, quiet=0.5, timeout=5):
    """Waits until the program has logged no new line matching pattern for a while."""
    deadline = time.monotonic() + timeout
    seen, since = log.count(pattern), time.monotonic()
    while time.monotonic() < deadline:
        time.sleep(0.05)
        now = log.count(pattern)
        if now != seen:
            seen, since = now, time.monotonic()
        elif time.monotonic() - since >= quiet:
            break


def pointer_on(desktop, log, surface, x, y, wait):
    """Moves the pointer to x, y and returns where the program was told it is on the window, or
    None when the program heard nothing of it in time: it hears only of a pointer on its window,
    or leaving it."""
    seen = log.count(POINTER)
    desktop.move(x, y)
    deadline = time.monotonic() + wait
    while log.count(POINTER) == seen:
        if time.monotonic() > deadline:
            return None
        time.sleep(0.02)
    settle(log, POINTER, quiet=0.1)
    return log.pointer(surface)


def window_origin(desktop, log, surface, size, expected=None, timeout=10):
    """The window's top-left corner on the screen, found by putting the pointer on it, first where
    it should be, then anywhere on the screen. A second point on the window must agree, since a
    late event or a window still being placed would give another corner."""
    inside = ((size[0] // 3, size[1] * 2 // 3), (size[0] * 2 // 3, size[1] // 3))
    grid = [(x, y) for y in range(100, 768, 200) for x in range(100, 1024, 200)]
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        hint = [(expected[0] + inside[0][0], expected[1] + inside[0][1])] if expected else []
        for x, y in hint + grid:
            if (x, y) == (desktop.x, desktop.y):
                continue
            where = pointer_on(desktop, log, surface, x, y, 3 if [(x, y)] == hint else 0.5)
            if not where:
                continue
            found = (round(x - where[0]), round(y - where[1]))
            other = next((found[0] + dx, found[1] + dy) for dx, dy in inside
                         if (found[0] + dx, found[1] + dy) != (x, y))
            where = pointer_on(desktop, log, surface, *other, 3)
            if where and (round(other[0] - where[0]), round(other[1] - where[1])) == found:
                return found
            break
    return None


def main():
    log = ProtocolLog(sys.argv[1])
    desktop = Desktop(timeout=15)
    deadline = time.monotonic() + 15
    while not (log.toplevel_surface() and log.window_size()) and time.monotonic() < deadline:
        time.sleep(0.1)
    surface, size = log.toplevel_surface(), log.window_size()
    settle(log, CONFIGURE, quiet=1)
    origin = surface and size and window_origin(desktop, log, surface, size)
    if not check(origin is not None, f"the pointer finds the window: at {origin}, {size}"):
        return 1

    def after(action, moves_by, what):
        """Does the action with the window at origin; returns where it is now."""
        before = log.count(CONFIGURE)
        action(origin)
        settle(log, CONFIGURE, quiet=1)
        expected = (origin[0] + moves_by[0], origin[1] + moves_by[1])
        now = window_origin(desktop, log, surface, size, expected)
        check(now == expected and log.window_size() == size,
              f"{what}: window at {now}, {log.window_size()} (expected {expected}, {size});"
              f" {log.count(CONFIGURE) - before} configure events from mutter,"
              f" {log.count(r'[.]set_maximized[(]')} set_maximized so far")
        return now

    def drag(at):
        desktop.move(at[0] + TITLE[0], at[1] + TITLE[1])
        time.sleep(0.1)
        desktop.button(True)
        for _ in range(10):
            desktop.move(desktop.x + 10, desktop.y + 5)
            time.sleep(0.02)
        desktop.button(False)

    def maximise(at):
        desktop.click(at[0] + size[0] - MAXIMISE_FROM_RIGHT, at[1] + BUTTON_Y)

    def super_up(at):
        desktop.click(at[0] + size[0] // 2, at[1] + size[1] // 2)
        for keysym, pressed in ((SUPER, True), (UP, True), (UP, False), (SUPER, False)):
            desktop.key(keysym, pressed)

    def double_click(at):
        desktop.click(at[0] + TITLE[0], at[1] + TITLE[1])
        desktop.button(True)
        desktop.button(False)

    # Dragging the title bar proves the pointer works, and moves the window off the corner that
    # the compositor maximises to.
    for action, moves_by, what in ((drag, (100, 50), "dragging the title bar moves it"),
                                   (maximise, (0, 0), "the maximise button leaves it in place"),
                                   (super_up, (0, 0), "Super+Up leaves it in place"),
                                   (double_click, (0, 0), "a double click on the title leaves it")):
        origin = after(action, moves_by, what)
        if origin is None:
            break
    return verdict()


if __name__ == "__main__":
    sys.exit(main())
