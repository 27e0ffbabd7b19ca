# SPDX-License-Identifier: MIT
"""Run by namebox.sh in a private session with the stopwatch started, given its process id: prints
a table of how long the name box takes to answer each request, for names of growing length, and
the program's resident memory after them."""
import sys
import time

from gi.repository import GLib

sys.path.insert(0, sys.path[0] + "/../tests/desktop")
from screenreader import a11y_bus, controls, find_application, memory  # noqa: E402

import pyatspi  # noqa: E402

LIMIT = 60  # seconds to wait for one answer


def timed(bus, box, method, signature, *arguments):
    started = time.monotonic()
    try:
        bus.call_sync(box.app.bus_name, box.path, "org.a11y.atspi." + box_interface(method), method,
                      GLib.Variant(signature, arguments), None, 0, LIMIT * 1000)
    except GLib.Error:
        return f"> {LIMIT} s"
    took = time.monotonic() - started
    return f"{took * 1000:.1f} ms" if took < 1 else f"{took:.1f} s"


def box_interface(method):
    return "EditableText" if method == "SetTextContents" else "Text"


def main(pid):
    app = find_application(timeout=15)
    window = app.getChildAtIndex(0)
    box = next(c for c in controls(window)
               if c.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY))
    bus = a11y_bus()
    x, y, width, height = bus.call_sync(
        box.app.bus_name, box.path, "org.a11y.atspi.Component", "GetExtents",
        GLib.Variant("(u)", (0,)), None, 0, 1000).unpack()[0]
    print("| Name length | GetRangeExtents(0, n) | GetRangeExtents(n/2, n) | "
          "GetCharacterExtents(n - 1) | GetOffsetAtPoint (left edge) | VmRSS after |")
    print("|---|---|---|---|---|---|")
    # The longest name three times over, each time another, shows whether memory stays flat.
    for i, n in enumerate((100, 1000, 2000, 5000, 10000, 32767, 32767, 32767)):
        timed(bus, box, "SetTextContents", "(s)", "xyz"[i % 3] * n)
        row = [timed(bus, box, "GetRangeExtents", "(iiu)", 0, n, 0),
               timed(bus, box, "GetRangeExtents", "(iiu)", n // 2, n, 0),
               timed(bus, box, "GetCharacterExtents", "(iu)", n - 1, 0),
               timed(bus, box, "GetOffsetAtPoint", "(iiu)", x + 4, y + height // 2, 0)]
        print(f"| {n:,} | " + " | ".join(row) + f" | {memory(pid, 'VmRSS') / 1024:.1f} MiB |", flush=True)
        # A request left unanswered still holds the program: what follows would wait for it.
        if any(cell.startswith(">") for cell in row):
            break


if __name__ == "__main__":
    main(int(sys.argv[1]))
