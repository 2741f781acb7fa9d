"""xdesktop.py: what the desktop tests share: a virtual display (Xvfb) with a
real window manager (openbox), the X utilities run on it, and waiting.

    with Desktop(output_dir, "name", size="1024x768", first=400, last=700) as desk:
        desk.x("xdotool", ...)

The display and the window manager are ended whatever happens inside.
"""
import os
import struct
import subprocess
import time
import zlib


class Failure(Exception):
    pass


def log(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def wait_for(what, probe, timeout=60.0, pause=0.2):
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(pause)


def stop(proc, name="process", grace=30):
    if proc is None or proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        log(f"{name} did not end; killing it")
        proc.kill()
        proc.wait(10)


def free_display(first, last, taken=()):
    for n in range(first, last):
        if n not in taken and not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return n
    raise Failure("no free display number")


def lock_owner(n):
    """The process id written in display n's lock file, or None."""
    try:
        with open(f"/tmp/.X{n}-lock") as f:
            return int(f.read().strip() or 0)
    except (OSError, ValueError):
        return None


class Desktop:
    """Xvfb of the given size on a free display in [first, last), with
    openbox logging to output/<name>-openbox.log (output/openbox.log when
    name is empty). env holds the display for the programs started on it."""

    def __init__(self, output, name="", size="1024x768", first=400, last=700, env=None):
        self.output = output
        self.name = name
        self.size = size
        self.first, self.last = first, last
        self.display = free_display(first, last)
        self.env = dict(env if env is not None else os.environ, DISPLAY=f":{self.display}")
        self.xvfb = self.wm = None
        self.wm_log = None

    def __enter__(self):
        try:
            self.start_xvfb()
            log_name = f"{self.name}-openbox.log" if self.name else "openbox.log"
            self.wm_log = open(os.path.join(self.output, log_name), "w")
            self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=self.wm_log, stderr=subprocess.STDOUT)
            wait_for("the window manager", lambda: self.root_prop("_NET_SUPPORTING_WM_CHECK"), timeout=30)
            log(f"display :{self.display} with openbox")
        except BaseException:
            self.close()
            raise
        return self

    def start_xvfb(self):
        # Tests started together may pick the same free number: the display
        # is ours only when its lock names our server; else the next one.
        taken = set()
        while True:
            self.xvfb = subprocess.Popen(["Xvfb", f":{self.display}", "-screen", "0", f"{self.size}x24",
                                          "-nolisten", "tcp"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_for("the display", lambda: self.xvfb.poll() is not None or
                     (lock_owner(self.display) == self.xvfb.pid and
                      os.path.exists(f"/tmp/.X11-unix/X{self.display}")), timeout=30)
            if self.xvfb.poll() is None:
                return
            taken.add(self.display)
            self.display = free_display(self.first, self.last, taken)
            self.env["DISPLAY"] = f":{self.display}"

    def __exit__(self, *exc):
        self.close()
        return False

    def running(self):
        return self.xvfb is not None and self.xvfb.poll() is None

    def close(self):
        stop(self.wm, "openbox")
        stop(self.xvfb, "Xvfb")
        self.wm = self.xvfb = None
        if self.wm_log is not None:
            self.wm_log.close()
            self.wm_log = None

    def x(self, *args, check=True):
        """Runs an X utility on the display and answers its output."""
        r = subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=60)
        if check and r.returncode != 0:
            raise Failure(f"{' '.join(args)}: {r.stderr.strip()}")
        return r.stdout.strip()

    def root_prop(self, name):
        out = self.x("xprop", "-root", name, check=False)
        return out.split("#", 1)[1] if "#" in out else ""

    def active_window(self):
        v = [int(s.strip(), 16) for s in self.root_prop("_NET_ACTIVE_WINDOW").split(",")
             if s.strip().startswith("0x")]
        return v[0] if v else 0

    def focus_window(self):
        out = self.x("xdotool", "getwindowfocus", check=False)
        return int(out) if out.isdigit() else 0

    def title(self, wid):
        return self.x("xdotool", "getwindowname", str(wid), check=False)

    def window_named(self, prefix):
        """The first window whose title begins with prefix, or 0."""
        out = self.x("xdotool", "search", "--name", "^" + prefix, check=False)
        return int(out.split()[0]) if out else 0

    def geometry(self, wid):
        """The absolute upper-left corner of a window."""
        info = self.x("xwininfo", "-id", str(wid))
        v = dict(l.strip().partition(":")[::2] for l in info.splitlines() if ":" in l)
        return int(v["Absolute upper-left X"]), int(v["Absolute upper-left Y"])

    def click(self, px, py):
        self.x("xdotool", "mousemove", "--sync", str(px), str(py))
        time.sleep(0.3)
        self.x("xdotool", "click", "1")
        time.sleep(0.3)

    def check_keeps(self, form, what, edit="Edit1"):
        """The form keeps the activation and the X focus, and the control
        named in its title (focus=<name>) the focus."""
        time.sleep(0.5)
        if self.active_window() != form:
            raise Failure(f"{what}: the form is not the active window (active: 0x{self.active_window():x})")
        if self.focus_window() != form:
            raise Failure(f"{what}: the X focus left the form (focus: 0x{self.focus_window():x})")
        if f"focus={edit}" not in self.title(form):
            raise Failure(f"{what}: the edit lost the focus ('{self.title(form)}')")

    def screenshot(self, path, windows):
        """The screen as a PNG at path. Xvfb's root image leaves the client
        windows' contents black: each of windows, then each popup, is read
        by itself and laid over it."""
        width, height, rows = self.xwd("-root")
        rows = [bytearray(r) for r in rows]
        places = []
        for w in windows:
            try:
                places.append((str(w), *self.geometry(w)))
            except (Failure, KeyError, ValueError):
                continue   # gone meanwhile
        for wid, px, py in places + [p[:3] for p in self.popups()]:
            try:
                w, h, prows = self.xwd("-id", wid)
            except (struct.error, ValueError):
                continue
            for yy in range(max(0, -py), min(h, height - py)):
                left, right = max(0, px), min(width, px + w)
                if left < right:
                    rows[py + yy][3 * left:3 * right] = prows[yy][3 * (left - px):3 * (right - px)]
        write_png(path, width, height, rows)
        log(f"screenshot {path}")
        return path

    def xwd(self, *args):
        return read_xwd(subprocess.run(["xwd", "-silent", *args], env=self.env, capture_output=True,
                                       timeout=60).stdout)

    def popups(self):
        """The mapped override-redirect windows larger than a pixel (drop-downs,
        lists, menus): id, x, y, width, height."""
        found = []
        for line in self.x("xwininfo", "-root", "-children", check=False).splitlines():
            line = line.strip()
            if not line.startswith("0x"):
                continue
            wid = line.split()[0]
            info = self.x("xwininfo", "-id", wid, check=False)
            if "Override Redirect State: yes" in info and "Map State: IsViewable" in info:
                v = dict(l.strip().partition(":")[::2] for l in info.splitlines() if ":" in l)
                w, h = int(v["Width"]), int(v["Height"])
                if w > 1 and h > 1:
                    found.append((wid, int(v["Absolute upper-left X"]), int(v["Absolute upper-left Y"]), w, h))
        return found


def read_xwd(raw):
    """Width, height and RGB rows of a 24/32-bit ZPixmap XWD image."""
    (header_size, _, fmt, _, width, height, _, byte_order, _, _, _,
     bpp, bytes_per_line, _, red_mask, green_mask, blue_mask, _, _, ncolors) = struct.unpack(">20I", raw[:80])
    # Xvfb's 24-bit screen keeps each pixel in four bytes.
    if fmt != 2 or bpp not in (24, 32) or bytes_per_line < width * 4:
        raise ValueError(f"unsupported XWD image (format {fmt}, {bpp} bits)")
    data = raw[header_size + ncolors * 12:]
    order = "<" if byte_order == 0 else ">"
    shifts = [(m, (m & -m).bit_length() - 1) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = data[y * bytes_per_line:y * bytes_per_line + width * 4]
        values = struct.unpack(f"{order}{width}I", line)
        rows.append(bytes(((v & m) >> s) & 0xFF for v in values for m, s in shifts))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    body = zlib.compress(b"".join(b"\0" + r for r in rows), 6)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", body) + chunk(b"IEND", b""))


def run_sample(program, output, name, scenario, env_extra=None):
    """Runs a sample program on its own desktop and the scenario against it
    (scenario(desk)); answers the exit code of the test. The program's output
    goes to output/<name>-sample.log."""
    import shutil
    import tempfile
    os.makedirs(output, exist_ok=True)
    home = tempfile.mkdtemp(prefix=f"velmora-{name}-")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home, LANG="C.UTF-8", QT_QPA_PLATFORM="xcb",
               **(env_extra or {}))
    failed = None
    try:
        with Desktop(output, name, size="1024x768", first=400, last=700, env=env) as desk, \
                open(os.path.join(output, f"{name}-sample.log"), "w") as sample_log:
            app = subprocess.Popen([program], env=desk.env, stdout=sample_log, stderr=subprocess.STDOUT)
            try:
                scenario(desk)
            finally:
                stop(app)
    except Exception as e:   # every process above is ended all the same
        failed = e
    finally:
        shutil.rmtree(home, ignore_errors=True)
    if failed is not None:
        log(f"FAILED: {failed}")
        return 1
    log("passed")
    return 0
