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
import subprocess
import sys
import tempfile
import shutil
import time

PROGRAM, OUTPUT = (os.path.abspath(a) for a in sys.argv[1:3])


class Failure(Exception):
    pass


def log(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def free_display():
    for n in range(400, 700):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return n
    raise Failure("no free display number")


def x(*args, check=True):
    r = subprocess.run(args, env=XENV, capture_output=True, text=True, timeout=60)
    if check and r.returncode != 0:
        raise Failure(f"{' '.join(args)}: {r.stderr.strip()}")
    return r.stdout.strip()


def wait_for(what, probe, timeout=60.0, pause=0.2):
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(pause)


def active_window():
    out = x("xprop", "-root", "_NET_ACTIVE_WINDOW", check=False)
    value = out.split("#", 1)[1].split(",")[0].strip() if "#" in out else ""
    return int(value, 16) if value.startswith("0x") else 0


def focus_window():
    out = x("xdotool", "getwindowfocus", check=False)
    return int(out) if out.isdigit() else 0


def sample_window():
    out = x("xdotool", "search", "--name", "^MRU:", check=False)
    return int(out.split()[0]) if out else 0


def title(wid):
    return x("xdotool", "getwindowname", str(wid), check=False)


def popups():
    """The mapped override-redirect windows larger than a pixel: x, y, w, h."""
    found = []
    for line in x("xwininfo", "-root", "-children", check=False).splitlines():
        line = line.strip()
        if not line.startswith("0x"):
            continue
        info = x("xwininfo", "-id", line.split()[0], check=False)
        if "Override Redirect State: yes" in info and "Map State: IsViewable" in info:
            v = dict(l.strip().partition(":")[::2] for l in info.splitlines() if ":" in l)
            w, h = int(v["Width"]), int(v["Height"])
            if w > 1 and h > 1:
                found.append((int(v["Absolute upper-left X"]), int(v["Absolute upper-left Y"]), w, h))
    return found


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


def stop(proc, grace=30):
    if proc is None or proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(10)


def main():
    global XENV
    os.makedirs(OUTPUT, exist_ok=True)
    home = tempfile.mkdtemp(prefix="velmora-mru-")
    display = free_display()
    XENV = dict(os.environ, DISPLAY=f":{display}", HOME=home, XDG_CONFIG_HOME=home, LANG="C.UTF-8",
                QT_QPA_PLATFORM="xcb")
    xvfb = wm = app = None
    failed = None
    logs = []
    try:
        xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the display", lambda: os.path.exists(f"/tmp/.X11-unix/X{display}"), timeout=30)
        logs.append(open(os.path.join(OUTPUT, "mru-openbox.log"), "w"))
        wm = subprocess.Popen(["openbox"], env=XENV, stdout=logs[-1], stderr=subprocess.STDOUT)
        wait_for("the window manager",
                 lambda: "#" in x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False), timeout=30)
        logs.append(open(os.path.join(OUTPUT, "mru-sample.log"), "w"))
        app = subprocess.Popen([PROGRAM], env=XENV, stdout=logs[-1], stderr=subprocess.STDOUT)
        log(f"display :{display} with openbox")
        scenario()
    except Exception as e:   # every process below is ended all the same
        failed = e
    finally:
        stop(app)
        stop(wm)
        stop(xvfb)
        for f in logs:
            f.close()
        shutil.rmtree(home, ignore_errors=True)
    if failed is not None:
        log(f"FAILED: {failed}")
        return 1
    log("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
