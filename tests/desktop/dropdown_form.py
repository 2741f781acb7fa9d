#!/usr/bin/env python3
"""dropdown_form.py: a drop-down form opened from the library's editor under a
real window manager.

The sample program shows a form with the data-aware editor whose drop-down
button opens its form on F4. Driven by real keys and clicks: the drop-down must appear below the edit
while the form keeps the activation and the edit the focus; a click inside it
keeps it open; a click elsewhere on the form closes it without a result; its
OK button closes it and writes the picked value into the edit.

  dropdown_form.py SAMPLE_PROGRAM OUTPUT_DIR
"""
import os
import sys

from xdesktop import Failure, log, run_sample, wait_for

PROGRAM, OUTPUT = (os.path.abspath(a) for a in sys.argv[1:3])
DESK = None


def sample_window():
    return DESK.window_named("DDF:")


def title(form):
    return DESK.title(form)


def geometry(wid):
    return DESK.geometry(wid)


def check_keeps(form, what):
    DESK.check_keeps(form, what)


def click(px, py):
    DESK.click(px, py)


def open_dropdown(form):
    DESK.x("xdotool", "key", "--clearmodifiers", "F4")
    wait_for("the drop-down to open", lambda: "form=shown" in title(form), timeout=30)
    return wait_for("the drop-down's window", DESK.popups, timeout=30)[0]


def scenario():
    form = wait_for("the sample form", sample_window, timeout=120, pause=0.5)
    wait_for("the form to be active", lambda: DESK.active_window() == form, timeout=30)
    wait_for("the edit to have the focus", lambda: "focus=Edit1" in title(form), timeout=30)
    fx, fy = geometry(form)
    log(f"form 0x{form:x} at {(fx, fy)}: '{title(form)}'")

    _, px, py, pw, ph = open_dropdown(form)
    log(f"drop-down at {(px, py, pw, ph)}: '{title(form)}'")
    # Below the edit (20, 20, 220 x 24 in the form), its left edge lined up.
    if px != fx + 20 or py != fy + 20 + 24 + 1:
        raise Failure(f"the drop-down is not placed below the edit: {(px, py)}, the form's client at {(fx, fy)}")
    check_keeps(form, "the drop-down opened")

    # A click inside it (below the OK button) keeps it.
    click(px + pw - 40, py + 60)
    if "form=shown" not in title(form):
        raise Failure(f"a click inside the drop-down closed it ('{title(form)}')")
    check_keeps(form, "a click inside the drop-down")

    # A click on the other edit closes it without a result.
    click(fx + 100, fy + 250)
    wait_for("the drop-down to close", lambda: "form=hidden" in title(form) and not DESK.popups(), timeout=30)
    if "closed=0/1" not in title(form) or not title(form).startswith("DDF: bolt |"):
        raise Failure(f"a click elsewhere did not end the drop-down without a result ('{title(form)}')")
    if DESK.active_window() != form:
        raise Failure("the form lost the activation when the drop-down closed")

    # Back in the edit, open again and take OK: the value comes back.
    click(fx + 100, fy + 30)
    wait_for("the edit to have the focus", lambda: "focus=Edit1" in title(form), timeout=30)
    _, px, py, pw, ph = open_dropdown(form)
    check_keeps(form, "the drop-down opened again")
    click(px + 156 + 30, py + 12 + 12)
    wait_for("the pick", lambda: title(form).startswith("DDF: bolt M8 |"), timeout=30)
    wait_for("the drop-down to close", lambda: "form=hidden" in title(form) and not DESK.popups(), timeout=30)
    if "closed=1/2" not in title(form):
        raise Failure(f"OK did not end the drop-down with its result ('{title(form)}')")
    check_keeps(form, "OK in the drop-down")


def main():
    def with_desk(desk):
        global DESK
        DESK = desk
        scenario()
    return run_sample(PROGRAM, OUTPUT, "ddf", with_desk)


if __name__ == "__main__":
    sys.exit(main())
