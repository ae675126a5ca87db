"""A private X server (Xvfb) and the processes that run on it, for end-to-end tests.

Every process started here is stopped when the session closes, and dies with the test if
the test itself is killed.
"""

import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77


class Failure(Exception):
    """A check of the scenario did not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, probe, timeout=15.0):
    """Polls `probe` until it returns a true value, which it returns."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(0.05)


def missing_programs(names):
    return [name for name in names if shutil.which(name) is None]


def _die_with_parent():
    # PR_SET_PDEATHSIG: no child outlives a killed test, and Xvfb still removes its lock.
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)


def _raise_on_signal(number, _frame):
    if number == signal.SIGALRM:
        raise Failure("the scenario ran past its time limit")
    raise Failure(f"stopped by signal {number}")


class XSession:
    """Xvfb on a free display number, with helpers over xdotool and xwininfo."""

    def __init__(self, folder, time_limit):
        self.folder = folder
        self.processes = []
        self.display = None
        self._x11 = None
        self._connection = None
        signal.signal(signal.SIGTERM, _raise_on_signal)
        signal.signal(signal.SIGINT, _raise_on_signal)
        signal.signal(signal.SIGALRM, _raise_on_signal)
        signal.alarm(time_limit)

    def __enter__(self):
        try:
            self._start_server()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *_):
        self.close()

    def _start_server(self):
        read_end, write_end = os.pipe()
        # -noreset: a server that resets when its last client leaves refuses the next one
        # for a moment, and the scenarios start the program several times.
        self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                    "-nolisten", "tcp", "-noreset"], log="xvfb.log", pass_fds=(write_end,),
                   x=False)
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], 15)
            chunk = os.read(read_end, 16) if ready else b""
            check(chunk, "Xvfb did not report its display number")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def env(self, extra=None):
        """The environment of a program on this display, cut off from the user's desktop."""
        env = {key: value for key, value in os.environ.items()
               if key not in ("WAYLAND_DISPLAY", "XAUTHORITY", "LC_ALL", "LC_MESSAGES",
                              "LANGUAGE", "SESSION_MANAGER")}
        runtime = os.path.join(self.folder, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        # No session bus: an address keeps libdbus from autolaunching one (a daemon that
        # would outlive the test), and keeps Qt's tray icon an X window in the tray.
        env.update({"DISPLAY": self.display, "QT_QPA_PLATFORM": "xcb", "HOME": self.folder,
                    "XDG_RUNTIME_DIR": runtime, "TZ": "Europe/Paris", "LANG": "C",
                    "DBUS_SESSION_BUS_ADDRESS": "disabled:"})
        env.update(extra or {})
        return env

    def spawn(self, args, log, env=None, pass_fds=(), x=True):
        with open(os.path.join(self.folder, log), "ab") as output:
            process = subprocess.Popen(args, env=env or (self.env() if x else None),
                                       stdin=subprocess.DEVNULL, stdout=output,
                                       stderr=subprocess.STDOUT, pass_fds=pass_fds,
                                       preexec_fn=_die_with_parent)
        self.processes.append(process)
        return process

    def close(self):
        signal.alarm(0)
        if self._connection:
            self._x11.XCloseDisplay(self._connection)
            self._connection = None
        for process in reversed(self.processes):
            stop(process)
        self.processes.clear()

    def run(self, *args):
        result = subprocess.run(args, env=self.env(), capture_output=True, text=True, timeout=10)
        return result.stdout

    # Windows ---------------------------------------------------------------------------

    def visible_windows(self, title):
        """Mapped windows whose title is exactly `title` (xdotool ignores case)."""
        found = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$").split()
        return [w for w in found if self.run("xdotool", "getwindowname", w).rstrip("\n") == title]

    def one_window(self, title, timeout=15.0):
        return wait_for(f'a window titled "{title}"', lambda: self.visible_windows(title),
                        timeout)[0]

    def tree(self, window="-root"):
        args = ["xwininfo", "-tree"] + (["-root"] if window == "-root" else ["-id", window])
        return self.run(*args)

    def size(self, window):
        info = self.run("xwininfo", "-id", window)
        fields = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
        return int(fields["Width"]), int(fields["Height"])

    def keys(self, window, *keys):
        """Gives `window` the keyboard focus, then types `keys` into it."""
        self.run("xdotool", "windowfocus", "--sync", window)
        self.run("xdotool", "key", "--delay", "50", *keys)

    def type_text(self, window, text):
        """Gives `window` the keyboard focus, then types `text` into it."""
        self.run("xdotool", "windowfocus", "--sync", window)
        self.run("xdotool", "type", "--delay", "20", text)

    def click(self, window, x, y):
        """A left click at (x, y) of `window`, with the real pointer."""
        self.run("xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1")

    def lowest_drawing(self, window):
        """(left, top, right, bottom) of the lowest band of rows of `window` that differ
        from its background (the colour of its top-left corner): a message box's row of
        buttons. None while the window shows only its background."""
        width, height, pixels = self.image(window)
        background = pixels[0:3]

        def drawn_columns(row):
            start = row * width * 3
            return [column for column in range(width)
                    if pixels[start + column * 3:start + column * 3 + 3] != background]

        drawn = [drawn_columns(row) for row in range(height)]
        bottom = next((row for row in reversed(range(height)) if drawn[row]), None)
        if bottom is None:
            return None
        top = bottom
        while top > 0 and drawn[top - 1]:
            top -= 1
        columns = [column for row in drawn[top:bottom + 1] for column in row]
        return min(columns), top, max(columns), bottom

    def image(self, window):
        """(width, height, RGB bytes) of what `window` shows now."""
        data = subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"],
                              env=self.env(), capture_output=True, timeout=20,
                              check=True).stdout
        # A binary PPM: "P6", width, height, maximum value, each followed by one blank.
        header = re.match(rb"P6\s(\d+)\s(\d+)\s255\s", data)
        check(header, "import gave no 8-bit PPM image")
        return int(header[1]), int(header[2]), data[header.end():]

    def selection_owned(self, name):
        """True when some client owns the X selection `name` (a tray claims one)."""
        if not self._connection:
            self._x11 = ctypes.CDLL("libX11.so.6")
            self._x11.XOpenDisplay.restype = ctypes.c_void_p
            self._x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
            self._x11.XInternAtom.restype = ctypes.c_ulong
            self._x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
            self._x11.XGetSelectionOwner.restype = ctypes.c_ulong
            self._x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
            self._x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
            self._connection = self._x11.XOpenDisplay(self.display.encode())
            check(self._connection, f"cannot open display {self.display}")
        atom = self._x11.XInternAtom(self._connection, name.encode(), 0)
        return self._x11.XGetSelectionOwner(self._connection, atom) != 0

    def managed_windows(self):
        """Ids of the windows the window manager lists as its clients (_NET_CLIENT_LIST)."""
        line = self.run("xprop", "-root", "-notype", "_NET_CLIENT_LIST")
        _, _, ids = line.partition("#")
        return {int(word.strip(), 16) for word in ids.split(",") if word.strip()}

    def popup_menu(self):
        """(x, y, width, height) of a mapped popup menu (an override-redirect window with a
        WM_CLASS of morvane, larger than the docked icon), or None."""
        for line in self.tree().splitlines():
            if '("morvane" "morvane")' not in line:
                continue
            window = line.split()[0]
            info = self.run("xwininfo", "-id", window)
            fields = dict(item.strip().split(":", 1) for item in info.splitlines()
                          if ":" in item)
            if (fields.get("Map State", "").strip() == "IsViewable"
                    and fields.get("Override Redirect State", "").strip() == "yes"
                    and int(fields["Height"]) > 48):
                return tuple(int(fields[key]) for key in
                             ("Absolute upper-left X", "Absolute upper-left Y", "Width",
                              "Height"))
        return None


def stop(process, grace=3.0):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(grace)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def wait_exit(process, what, timeout=10.0):
    try:
        return process.wait(timeout)
    except subprocess.TimeoutExpired:
        raise Failure(f"{what} did not end within {timeout:.0f} s") from None


def run_scenario(argv, usage, scenarios, time_limit, prepare=lambda session, argv: argv):
    """The main program of a test script: argv is SCRIPT SCENARIO MORVANE MVNTOOL, and
    `scenarios` maps each name to (function, programs it needs). The function runs with the
    session and what `prepare` makes of them. Gives the exit status: 0 passed, 1 failed, 2
    usage, SKIP when a needed program is missing."""
    if len(argv) != 4 or argv[1] not in scenarios:
        print(usage, file=sys.stderr)
        return 2
    scenario, needed = scenarios[argv[1]]
    missing = missing_programs(needed)
    if missing:
        print(f"skipped: {', '.join(missing)} not installed")
        return SKIP
    with tempfile.TemporaryDirectory(prefix="morvane-e2e-") as folder:
        with XSession(folder, time_limit) as session:
            try:
                scenario(session, prepare(session, argv))
            except Failure as failure:
                report(failure, session)
                return 1
    print("passed")
    return 0


def report(failure, session):
    print(f"FAILED: {failure}")
    try:
        print(f"--- windows\n{session.tree()}")
    except (OSError, subprocess.SubprocessError) as error:
        print(f"--- windows: {error}")
    for log in sorted(name for name in os.listdir(session.folder) if name.endswith(".log")):
        with open(os.path.join(session.folder, log), encoding="utf-8", errors="replace") as file:
            print(f"--- {log}\n{file.read()}")
