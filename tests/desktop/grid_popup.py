#!/usr/bin/env python3
"""grid_popup.py: the lists of a grid's cells under a real window manager.

The sample program shows a form with the axis test grid over the test
server's parts: the name cell has a pick list, the date cell a calendar.
Driven by real keys and clicks, for each cell: Alt+Down and a click on the
cell's button open the list below the cell; Escape, Enter, a click elsewhere
on the form and a second click on the button close it, the second click
without opening it again; all the while the form keeps the activation, the
list never takes it, and the grid keeps the focus. Enter takes the list's
value, the others take nothing.

  grid_popup.py SAMPLE_PROGRAM OUTPUT_DIR
"""
import os
import re
import sys
import time

from xdesktop import Failure, log, run_sample, wait_for

PROGRAM, OUTPUT = (os.path.abspath(a) for a in sys.argv[1:3])
DESK = None
FORM = 0
ORIGIN = (0, 0)


def title():
    return DESK.title(FORM)


def field(name):
    m = re.search(rf"\b{name}=([^ |]*)", title())
    return m.group(1) if m else ""


def point(text):
    px, py = (int(v) for v in text.split(","))
    return ORIGIN[0] + px, ORIGIN[1] + py


def key(name):
    DESK.x("xdotool", "key", "--clearmodifiers", name)
    time.sleep(0.3)


def keeps(what):
    DESK.check_keeps(FORM, what, edit="Grid")


def opened(what):
    wait_for(f"the list to open ({what})", lambda: "list=shown" in title(), timeout=30)
    popup = wait_for(f"the list's window ({what})", DESK.popups, timeout=30)[0]
    keeps(what)
    return popup


def closed(what, count):
    try:
        wait_for(f"the list to close ({what})", lambda: "list=hidden" in title() and not DESK.popups(), timeout=30)
    except Failure as e:
        raise Failure(f"{e}: '{title()}', popups {DESK.popups()}") from None
    if f"closed={count}" not in title():
        raise Failure(f"{what}: expected closed={count} ('{title()}')")
    keeps(what)


def cell(col, what):
    """Clicks the first row's cell of bar col; its editor and button show."""
    DESK.click(*point(field("cells").split(";")[col]))
    wait_for(f"the editor on bar {col} ({what})",
             lambda: f"col={col}" in title() and field("button") not in ("", "none"), timeout=30)
    keeps(f"a click on bar {col}")
    return point(field("button"))


def scenario_for(col, name, value, shot):
    """One cell's list: opened and closed each way. value: the field's
    text in the title while nothing was taken."""
    label = "name" if col == 0 else "date"
    base = int(field("closed").split("/")[1])
    button = cell(col, name)
    log(f"{name}: button at {button}, '{title()}'")

    # Alt+Down opens it below the cell; Escape closes it and takes nothing.
    key("alt+Down")
    _, px, py, pw, ph = opened(f"{name}: Alt+Down")
    log(f"{name} at {(px, py, pw, ph)}")
    if abs(py - (button[1] + 11)) > 6 or px > button[0]:
        raise Failure(f"{name}: the list is not below the cell: {(px, py)}, the button at {button}")
    DESK.screenshot(os.path.join(OUTPUT, shot), [FORM])
    key("Escape")
    closed(f"{name}: Escape", f"{col}/{base + 1}")
    if field(label) != value:
        raise Failure(f"{name}: Escape changed the value ('{title()}')")

    # A click on the button opens it; Enter takes the list's value.
    DESK.click(*button)
    opened(f"{name}: a click on the button")
    key("Return")
    closed(f"{name}: Enter", f"{col + 1}/{base + 2}")
    if field(label) != value:
        raise Failure(f"{name}: Enter did not keep the value the list showed ('{title()}')")

    # A click elsewhere on the form closes it without taking anything.
    key("alt+Down")
    opened(f"{name}: Alt+Down again")
    DESK.click(ORIGIN[0] + 480, ORIGIN[1] + 200)
    closed(f"{name}: a click elsewhere", f"{col + 1}/{base + 3}")

    # A second click on the button closes it and does not open it again.
    DESK.click(*button)
    opened(f"{name}: the button again")
    DESK.click(*button)
    closed(f"{name}: a second click on the button", f"{col + 1}/{base + 4}")
    time.sleep(1.0)
    if "list=shown" in title() or DESK.popups():
        raise Failure(f"{name}: the click that closed the list opened it again ('{title()}')")


def scenario():
    global FORM, ORIGIN
    FORM = wait_for("the sample form", lambda: DESK.window_named("AXG:"), timeout=120, pause=0.5)
    wait_for("the form to be active", lambda: DESK.active_window() == FORM, timeout=30)
    wait_for("the grid to have the focus", lambda: "focus=Grid" in title(), timeout=30)
    ORIGIN = DESK.geometry(FORM)
    log(f"form 0x{FORM:x} at {ORIGIN}: '{title()}'")
    if field("name") != "0" or field("date") != "2026-03-01":
        raise Failure(f"the first part is not shown ('{title()}')")
    scenario_for(0, "pick list", "0", "grid-popup-picklist.png")
    scenario_for(1, "calendar", "2026-03-01", "grid-popup-calendar.png")


def main():
    def with_desk(desk):
        global DESK
        DESK = desk
        scenario()
    return run_sample(PROGRAM, OUTPUT, "grid", with_desk)


if __name__ == "__main__":
    sys.exit(main())
