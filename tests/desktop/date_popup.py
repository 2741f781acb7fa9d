#!/usr/bin/env python3
"""date_popup.py: the date editor's popup calendar under a real window
manager.

The sample program shows a form with the library's date editor. Driven by
real keys and clicks: Alt+Down and a click on the editor's button open the
calendar below the edit; Escape, Enter, a click elsewhere on the form and a
second click on the button close it; all the while the form keeps the
activation and the edit the focus. Enter takes the picked day, the others
take nothing.

  date_popup.py SAMPLE_PROGRAM OUTPUT_DIR
"""
import os
import sys
import time

from xdesktop import Failure, log, run_sample, wait_for

PROGRAM, OUTPUT = (os.path.abspath(a) for a in sys.argv[1:3])
DESK = None


def title(form):
    return DESK.title(form)


def key(name):
    DESK.x("xdotool", "key", "--clearmodifiers", name)
    time.sleep(0.3)


def opened(form, what):
    wait_for(f"the calendar to open ({what})", lambda: "calendar=shown" in title(form), timeout=30)
    popup = wait_for(f"the calendar's window ({what})", DESK.popups, timeout=30)[0]
    DESK.check_keeps(form, what)
    return popup


def closed(form, what, count):
    wait_for(f"the calendar to close ({what})",
             lambda: "calendar=hidden" in title(form) and not DESK.popups(), timeout=30)
    if f"closed={count}" not in title(form):
        raise Failure(f"{what}: expected closed={count} ('{title(form)}')")
    DESK.check_keeps(form, what)


def scenario():
    form = wait_for("the sample form", lambda: DESK.window_named("DTC:"), timeout=120, pause=0.5)
    wait_for("the form to be active", lambda: DESK.active_window() == form, timeout=30)
    wait_for("the edit to have the focus", lambda: "focus=Edit1" in title(form), timeout=30)
    fx, fy = DESK.geometry(form)
    button = (fx + 20 + 220 - 9, fy + 20 + 12)
    log(f"form 0x{form:x} at {(fx, fy)}: '{title(form)}'")

    # Alt+Down opens it below the edit; Escape closes it and takes nothing.
    key("alt+Down")
    _, px, py, pw, ph = opened(form, "Alt+Down")
    log(f"calendar at {(px, py, pw, ph)}")
    if px != fx + 20 or abs(py - (fy + 20 + 24)) > 2:
        raise Failure(f"the calendar is not placed below the edit: {(px, py)}, the form's client at {(fx, fy)}")
    key("Right")
    key("Escape")
    closed(form, "Escape", "0/1")
    if not title(form).startswith("DTC: 10.03.2026 |"):
        raise Failure(f"Escape changed the value ('{title(form)}')")

    # A click on the button opens it; Enter picks the day chosen.
    DESK.click(*button)
    opened(form, "a click on the button")
    key("Right")
    key("Return")
    closed(form, "Enter", "1/2")
    if not title(form).startswith("DTC: 11.03.2026 |"):
        raise Failure(f"Enter did not take the picked day ('{title(form)}')")

    # A click elsewhere on the form closes it without a pick.
    key("alt+Down")
    opened(form, "Alt+Down again")
    DESK.click(fx + 330, fy + 150)
    closed(form, "a click elsewhere", "1/3")

    # A second click on the button closes it and does not open it again.
    DESK.click(*button)
    opened(form, "the button again")
    DESK.click(*button)
    closed(form, "a second click on the button", "1/4")
    time.sleep(1.0)
    if "calendar=hidden" not in title(form) or DESK.popups():
        raise Failure(f"the click that closed the calendar opened it again ('{title(form)}')")

    # A click inside the calendar keeps it open.
    key("alt+Down")
    _, px, py, pw, ph = opened(form, "a last time")
    DESK.click(px + pw // 2, py + 8)
    if "calendar=shown" not in title(form):
        raise Failure(f"a click inside the calendar closed it ('{title(form)}')")
    DESK.check_keeps(form, "a click inside the calendar")
    key("Escape")
    closed(form, "Escape at the end", "1/5")


def main():
    def with_desk(desk):
        global DESK
        DESK = desk
        scenario()
    return run_sample(PROGRAM, OUTPUT, "dtc", with_desk)


if __name__ == "__main__":
    sys.exit(main())
