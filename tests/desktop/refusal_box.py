#!/usr/bin/env python3
"""refusal_box.py: the client as ./run.sh starts it, on a virtual display with a
real window manager, driven by real input.

A wrong password, then the right one; "Справочники" -> "Контрагенты" ->
"Добавить"; a full name too long for the server; "Записать". The refusal's box
must be the top and active window, a click on the editor while it is up must
start no second save and open no second box, Enter must close it with the typed
text kept, and nothing may be written.

  refusal_box.py SOURCE_DIR BUILD_DIR OUTPUT_DIR

Screenshots of each step go to OUTPUT_DIR. Every process it starts (Xvfb,
openbox, run.sh with its client and server) is ended, whatever happens.
"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

from xdesktop import Desktop, Failure, log, stop, wait_for

SOURCE, BUILD, OUTPUT = (os.path.abspath(a) for a in sys.argv[1:4])
FULL_NAME = "Z" * 300
ACCOUNT = ("master", "master2025")
DESK = None


# --- the display -----------------------------------------------------------

def x(*args, check=True):
    """Runs an X utility on the test's display and answers its output."""
    r = subprocess.run(args, env=XENV, capture_output=True, text=True, timeout=60)
    if check and r.returncode != 0:
        raise Failure(f"{' '.join(args)}: {r.stderr.strip()}")
    return r.stdout.strip()


def root_prop(name):
    out = x("xprop", "-root", name, check=False)
    return out.split("#", 1)[1] if "#" in out else ""


def ids(text):
    return [int(v.strip(), 16) for v in text.split(",") if v.strip().startswith("0x")]


def active_window():
    v = ids(root_prop("_NET_ACTIVE_WINDOW"))
    return v[0] if v else 0


def stacking():
    """The managed windows, bottom to top."""
    return ids(root_prop("_NET_CLIENT_LIST_STACKING"))


def title(wid):
    return x("xdotool", "getwindowname", str(wid), check=False)


def transient_for(wid):
    out = x("xprop", "-id", str(wid), "WM_TRANSIENT_FOR", check=False)
    return int(out.rsplit("#", 1)[1].strip(), 16) if "window id #" in out else 0


def find_window(name):
    """The managed window whose title is name, or starts with it and a
    space (the login window adds the build), 0: none."""
    for wid in stacking():
        t = title(wid)
        if t == name or t.startswith(name + " "):
            return wid
    return 0


def geometry(wid):
    """The client area's place on the screen: x, y, width, height."""
    out = x("xwininfo", "-id", str(wid))
    v = {}
    for line in out.splitlines():
        key, _, value = line.strip().partition(":")
        v[key] = value.strip()
    return (int(v["Absolute upper-left X"]), int(v["Absolute upper-left Y"]),
            int(v["Width"]), int(v["Height"]))


def click(wid, cx, cy):
    """A left click at a point of a window's client area."""
    gx, gy, _, _ = geometry(wid)
    x("xdotool", "mousemove", "--sync", str(gx + cx), str(gy + cy))
    x("xdotool", "click", "1")
    time.sleep(0.5)


def key(*names):
    x("xdotool", "key", "--clearmodifiers", *names)
    time.sleep(0.3)


def type_text(text):
    x("xdotool", "type", "--delay", "5", text)
    time.sleep(0.3)


# --- screenshots -------------------------------------------------------------

def screenshot(name):
    """The whole screen as OUTPUT/name.png."""
    path = os.path.join(OUTPUT, name + ".png")
    try:
        DESK.screenshot(path, stacking())
    except (struct.error, ValueError) as e:
        log(f"screenshot {name} failed: {e}")
    return path


def dark_pixels(wid, left, top, width, height):
    """How many dark pixels a rectangle of a window's client area shows."""
    _, _, rows = DESK.xwd("-id", str(wid))
    n = 0
    for y in range(top, top + height):
        row = rows[y]
        for xx in range(left, left + width):
            if sum(row[3 * xx:3 * xx + 3]) < 3 * 100:
                n += 1
    return n


# --- the embedded server -------------------------------------------------------

def contractor_count(data):
    env = {}
    with open(os.path.join(data, "velmora", "env")) as f:
        for line in f:
            k, _, v = line.strip().partition("=")
            env[k] = v
    r = subprocess.run(["psql", "-X", "-A", "-t", "-h", "127.0.0.1", "-p", env["VELMORA_PG_PORT"],
                        "-U", env["VELMORA_PG_USER"], "-d", "velmora",
                        "-c", "SELECT count(*) FROM cmn_contractor.jur_person"],
                       env=dict(os.environ, PGPASSWORD=env["VELMORA_PG_PASSWORD"]),
                       capture_output=True, text=True, timeout=60)
    if r.returncode != 0:
        raise Failure(f"psql: {r.stderr.strip()}")
    return int(r.stdout.strip())


# --- processes -----------------------------------------------------------------

def children(pid):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        comm = stat[stat.index("(") + 1:stat.rindex(")")]
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        if ppid == pid:
            found.append((int(entry), comm))
    return found


def end_client(run):
    """Ends the client; run.sh then stops the server it started, as it does
    when a person closes the program."""
    if run is None or run.poll() is not None:
        return
    for pid, comm in children(run.pid):
        if comm == "velmora":
            os.kill(pid, signal.SIGTERM)
    try:
        run.wait(90)
    except subprocess.TimeoutExpired:
        log("run.sh did not end after its client; ending it")
        os.killpg(run.pid, signal.SIGTERM)
        run.wait(30)


# --- the scenario ----------------------------------------------------------------

def scenario(data):
    login = wait_for("the login window", lambda: find_window("Авторизация"), timeout=600, pause=1)
    screenshot("01-login")
    before = contractor_count(data)

    # A wrong password: the refusal, then the login window again.
    click(login, 150, 26)
    type_text(ACCOUNT[0])
    click(login, 150, 58)
    type_text("wrong-password")
    key("Return")
    refusal = wait_for("the box refusing the wrong password",
                       lambda: active_window() if active_window() not in (0, login) else 0, timeout=30)
    screenshot("02-wrong-password")
    key("Return")
    wait_for("the login window back", lambda: active_window() == login, timeout=30)

    click(login, 150, 58)
    key("ctrl+a")
    type_text(ACCOUNT[1])
    key("Return")
    main = wait_for("the main window", lambda: find_window("VELMORA"), timeout=60)
    time.sleep(1)
    screenshot("03-main")

    click(main, 40, 10)                       # "Справочники"
    time.sleep(1)
    screenshot("04-menu")
    # The popup opens with no item chosen; the demo account sees three items
    # above "Контрагенты" ("Роли" is hidden): four steps down reach it.
    for _ in range(4):
        key("Down")
    screenshot("04-menu-item")
    key("Return")
    book = wait_for("the contractors' list", lambda: find_window("Контрагенты"), timeout=30)
    time.sleep(1)
    _, _, _, book_h = geometry(book)
    screenshot("05-contractors")
    # "Добавить" sits on the bottom panel.
    click(book, 50, book_h - 18)
    editor = wait_for("the editor", lambda: find_window("Ведение контрагентов"), timeout=30)
    time.sleep(0.5)

    click(editor, 280, 69)                    # the full name
    type_text(FULL_NAME)
    screenshot("06-typed")
    click(editor, 66, 187)                    # "Записать"
    box = wait_for("the refusal's box", lambda: active_window() if active_window() not in (0, editor) else 0,
                   timeout=30)
    time.sleep(1)
    screenshot("07-refusal")
    if transient_for(box) != editor:
        raise Failure(f"the box (0x{box:x}) is not a transient of the editor (0x{editor:x})")
    if stacking()[-1] != box:
        raise Failure("the box is not the top window")
    box_title = title(box)
    log(f"the box: 0x{box:x} '{box_title}'")
    boxes = [w for w in stacking() if transient_for(w) == editor]

    # A click on the editor ("Записать" again, then the field) while the box is up.
    click(editor, 66, 187)
    click(editor, 280, 69)
    time.sleep(1.5)
    screenshot("08-click-on-editor")
    if active_window() != box:
        raise Failure(f"the box is not the active window after a click on the editor "
                      f"(active: 0x{active_window():x} '{title(active_window())}')")
    if stacking()[-1] != box:
        raise Failure(f"the box is not the top window after a click on the editor "
                      f"(top: '{title(stacking()[-1])}')")
    now = [w for w in stacking() if transient_for(w) == editor]
    if now != boxes:
        raise Failure(f"a click on the editor opened another box ({len(now)} windows over the editor)")

    key("Return")
    wait_for("the box to close", lambda: box not in stacking(), timeout=30)
    time.sleep(1)
    screenshot("09-after-box")
    if editor not in stacking():
        raise Failure("the editor closed with the box")
    if dark_pixels(editor, 146, 61, 270, 17) < 100:
        raise Failure("the editor lost the full name that was typed")
    after = contractor_count(data)
    if after != before:
        raise Failure(f"the refused save wrote rows ({before} contractors before, {after} after)")
    log(f"contractors before and after: {before}")


def on_term(signum, frame):
    raise Failure(f"ended by signal {signum}")


def main():
    global XENV, DESK
    signal.signal(signal.SIGTERM, on_term)
    os.makedirs(OUTPUT, exist_ok=True)
    work = tempfile.mkdtemp(prefix="velmora-desktop-")
    os.chmod(work, 0o755)
    home, data, config = (os.path.join(work, d) for d in ("home", "data", "config"))
    for d in (home, data, config):
        os.makedirs(d)
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=data, XDG_CONFIG_HOME=config, LANG="C.UTF-8")
    env.pop("QT_QPA_PLATFORM", None)
    run = None
    failed = None
    logs = {}
    desk = Desktop(OUTPUT, size="1280x1024", first=90, last=400, env=env)
    XENV = desk.env
    DESK = desk
    try:
        with desk:
            try:
                logs["run"] = open(os.path.join(OUTPUT, "run.log"), "w")
                run = subprocess.Popen(["./run.sh"], cwd=SOURCE, start_new_session=True,
                                       env=dict(XENV, VELMORA_BUILD_DIR=BUILD, QT_QPA_PLATFORM="xcb"),
                                       stdout=logs["run"], stderr=subprocess.STDOUT)
                scenario(data)
            except Exception:   # any failure still ends every process below
                if desk.running():
                    screenshot("failure")
                raise
            finally:
                end_client(run)
                # run.sh stops its server on its way out; this only catches a run.sh that never got there.
                if os.path.exists(os.path.join(data, "velmora", "env")):
                    subprocess.run([os.path.join(SOURCE, "scripts", "pgserver.sh"), "stop",
                                    os.path.join(data, "velmora")], capture_output=True, timeout=120)
    except Exception as e:
        failed = e
    finally:
        for f in logs.values():
            f.close()
        shutil.rmtree(work, ignore_errors=True)
    if failed is not None:
        log(f"FAILED: {failed}")
        if os.path.exists(os.path.join(OUTPUT, "run.log")):
            with open(os.path.join(OUTPUT, "run.log")) as f:
                sys.stdout.write(f.read()[-4000:])
        return 1
    log("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
