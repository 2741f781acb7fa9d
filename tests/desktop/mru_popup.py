#!/usr/bin/env python3
"""mru_popup.py: the MRU popup of an edit under a real window manager.

The sample program shows a form with an edit whose MRU list drops down while
the user types. Typed with real keys: the list must appear while the form
keeps the activation and the edit the focus; Down, Down, Enter picks the
second entry; a click on an entry of the list picks it too, and neither the
window manager nor the program moves the activation or the focus to the list.

  mru_popup.py SAMPLE_PROGRAM OUTPUT_DIR

Xvfb and openbox are started on a free display and ended, whatever happens.
"""
import os
import sys
import time

from xdesktop import Failure, log, run_sample, wait_for

PROGRAM, OUTPUT = (os.path.abspath(a) for a in sys.argv[1:3])
DESK = None


def x(*args, check=True):
    return DESK.x(*args, check=check)


def active_window():
    return DESK.active_window()


def focus_window():
    return DESK.focus_window()


def sample_window():
    out = x("xdotool", "search", "--name", "^MRU:", check=False)
    return int(out.split()[0]) if out else 0


def title(wid):
    return DESK.title(wid)


def popups():
    """The mapped override-redirect windows larger than a pixel: x, y, w, h."""
    return [p[1:] for p in DESK.popups()]


def check_keeps(form, what):
    """The form keeps the activation, the X focus and the edit the focus."""
    time.sleep(0.5)
    if active_window() != form:
        raise Failure(f"{what}: the form is not the active window (active: 0x{active_window():x})")
    if focus_window() != form:
        raise Failure(f"{what}: the X focus left the form (focus: 0x{focus_window():x})")
    if "focus=Edit1" not in title(form):
        raise Failure(f"{what}: the edit lost the focus ('{title(form)}')")


def key(*names):
    x("xdotool", "key", "--clearmodifiers", *names)
    time.sleep(0.3)


def scenario():
    form = wait_for("the sample form", sample_window, timeout=120, pause=0.5)
    wait_for("the form to be active", lambda: active_window() == form, timeout=30)
    wait_for("the edit to have the focus", lambda: "focus=Edit1" in title(form), timeout=30)
    log(f"form 0x{form:x}: '{title(form)}'")

    x("xdotool", "type", "--delay", "50", "bo")
    wait_for("the list to drop down", lambda: "list=shown" in title(form), timeout=30)
    shown = wait_for("the list's window", popups, timeout=30)
    log(f"list shown at {shown}: '{title(form)}'")
    check_keeps(form, "the list dropped down")
    if "MRU: bo |" not in title(form):
        raise Failure(f"the typed text did not stay in the edit ('{title(form)}')")

    key("Down")
    key("Down")
    check_keeps(form, "arrow keys in the list")
    key("Return")
    wait_for("the pick by keys", lambda: title(form).startswith("MRU: bolt M8 |"), timeout=30)
    wait_for("the list to close", lambda: "list=hidden" in title(form) and not popups(), timeout=30)
    check_keeps(form, "a pick by keys")

    key("ctrl+a")
    x("xdotool", "type", "--delay", "50", "n")
    wait_for("the list of nuts", lambda: "list=shown" in title(form), timeout=30)
    px, py, pw, ph = wait_for("the list's window", popups, timeout=30)[0]
    log(f"list of nuts at {(px, py, pw, ph)}")
    # Two entries: the second one fills the lower half.
    x("xdotool", "mousemove", "--sync", str(px + pw // 3), str(py + ph * 3 // 4))
    time.sleep(0.3)
    x("xdotool", "click", "1")
    wait_for("the pick by the mouse", lambda: title(form).startswith("MRU: nut M8 |"), timeout=30)
    wait_for("the list to close", lambda: "list=hidden" in title(form) and not popups(), timeout=30)
    check_keeps(form, "a pick by the mouse")


def main():
    def with_desk(desk):
        global DESK
        DESK = desk
        scenario()
    return run_sample(PROGRAM, OUTPUT, "mru", with_desk)


if __name__ == "__main__":
    sys.exit(main())
