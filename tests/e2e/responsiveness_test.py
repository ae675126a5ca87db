#!/usr/bin/python3
"""Responsiveness of the real morvane program, as a desktop measures it, and its end
during a wait.

usage: responsiveness_test.py pings|end|input MORVANE MVNTOOL

pings: under a window manager, the main window is sent the window manager's _NET_WM_PING
       every quarter of a second while the program waits for something slow: a check of an
       HTTP server that accepts the connection and never answers, a check of an FTP server
       that never sends its greeting, and a quick view whose viewer stays open. Every ping
       must be answered within UNANSWERED_AFTER seconds (a desktop offers to kill a program
       that does not answer); the longest time a ping waited for its answer is printed for
       each wait.
end:   the run ends while such a wait goes on: SIGTERM during a check of the FTP server that
       never greets (its bound is 30 s), SIGTERM while the viewer is open. Each time the
       program exits with status 0 within END_LIMIT seconds, with its list untouched and no
       new file in its folder.
input: during an HTTP probe that the server answers late, and while the viewer is open, the cursor over the main
       window is the busy one, and a click on New and one on Delete are dropped: once the
       wait is over neither the editor nor the question comes up. The same clicks after the
       wait open them, so they did hit the buttons.

Exit status: 0 passed, 1 failed, 77 skipped (a program or module it needs is missing).
"""

import ctypes
import json
import os
import select
import shutil
import signal
import stat
import subprocess
import sys
import threading
import time

from program_test import start_tray, start_window_manager
from xsession import SKIP, check, run_scenario, stop, wait_exit, wait_for

try:
    from Xlib import X, display, protocol
except ImportError:
    X = None

TIME_LIMIT = 240
PING_INTERVAL = 0.25
# Generous beside the second a desktop expects, and short of the 5 s of the HTTP probe's
# time-out, so that a window frozen for the whole of a probe cannot pass.
UNANSWERED_AFTER = 3.0
VIEWER_OPEN = 6.0
# Far short of the stalled FTP probe's 30 s and of a viewer that never closes.
END_LIMIT = 10.0
SERVERS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "servers")
# Tab order of the main window from the list: New, Modify, Delete, Check now.
TABS_FROM_LIST_TO_CHECK_NOW = 4
ACTION_NOTHING, ACTION_VIEW_NEW = 0, 2
# The main window opens at its template's size: 358 dialog units wide, the buttons 42 wide
# on a row 10 pixels above the bottom, New from 7 and Delete from 103.
TEMPLATE_WIDTH, BUTTON_WIDTH, NEW_LEFT, DELETE_LEFT = 358, 42, 7, 103
BUTTON_ROW_FROM_BOTTOM = 18
EDITOR, DELETE_QUESTION = "Modify element", "Delete"
# Long enough for a click that was kept back to have been acted on.
SETTLE = 1.5
CHECK_ABSOLUTE_TIME, CHECK_EXISTENCE = 0, 2
WHEN_ON_DEMAND = 2


class Pinger:
    """Sends _NET_WM_PING to `window` from a connection of its own and times the answers,
    which the program sends to the root window."""

    def __init__(self, display_name, window):
        self.connection = display.Display(display_name)
        self.root = self.connection.screen().root
        # Qt sends the answer to the root window for the clients selecting its structure
        # events; others send it for its substructure events.
        self.root.change_attributes(event_mask=X.StructureNotifyMask | X.SubstructureNotifyMask)
        self.window = self.connection.create_resource_object("window", int(window, 0))
        self.protocols = self.connection.intern_atom("WM_PROTOCOLS")
        self.ping = self.connection.intern_atom("_NET_WM_PING")
        self.sent = {}
        self.waited = {}
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _send(self, stamp):
        event = protocol.event.ClientMessage(
            window=self.window, client_type=self.protocols,
            data=(32, [self.ping, stamp, self.window.id, 0, 0]))
        self.window.send_event(event, event_mask=0)
        self.connection.flush()
        self.sent[stamp] = time.monotonic()

    def _receive(self):
        while self.connection.pending_events():
            event = self.connection.next_event()
            if (event.type == X.ClientMessage and event.window.id == self.root.id
                    and event.client_type == self.protocols):
                values = event.data[1]
                stamp = values[1]
                if values[0] == self.ping and stamp in self.sent and stamp not in self.waited:
                    self.waited[stamp] = time.monotonic() - self.sent[stamp]

    def _run(self):
        stamp = 1
        next_ping = time.monotonic()
        while not self.stopping.is_set():
            now = time.monotonic()
            if now >= next_ping:
                self._send(stamp)
                stamp += 1
                next_ping = now + PING_INTERVAL
            select.select([self.connection.fileno()], [], [], max(0.0, next_ping - now))
            self._receive()

    def finish(self, settle=UNANSWERED_AFTER + 1):
        """Stops pinging, lets the last pings be answered, and gives (longest wait of a ping,
        number of pings, pings not answered within UNANSWERED_AFTER)."""
        self.stopping.set()
        self.thread.join()
        deadline = time.monotonic() + settle
        while len(self.waited) < len(self.sent) and time.monotonic() < deadline:
            select.select([self.connection.fileno()], [], [], 0.1)
            self._receive()
        now = time.monotonic()
        waits = [self.waited.get(stamp, now - sent) for stamp, sent in self.sent.items()]
        self.connection.close()
        late = sum(1 for wait in waits if wait > UNANSWERED_AFTER)
        return max(waits), len(waits), late


class TestServers:
    """The tests' own HTTP server, with its second, silent port."""

    def __init__(self, session):
        self.root = os.path.join(session.folder, "www")
        os.makedirs(self.root)
        self.log = os.path.join(session.folder, "servers.log")
        self.process = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(SERVERS, "http_server.py"), self.root,
             "--log", self.log],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        session.processes.append(self.process)
        ready, _, _ = select.select([self.process.stdout], [], [], 15)
        check(ready, "the test server did not report its ports")
        words = self.process.stdout.readline().split()
        check(len(words) == 3 and words[0] == "PORT", f"the test server said {words}")
        self.http, self.silent = int(words[1]), int(words[2])

    def silent_connections(self):
        return self._logged(lambda line: line == "ACCEPT")

    def requests(self, path):
        """How many requests for `path` the server has had."""
        return self._logged(lambda line: line.startswith(f"GET {path}\t"))

    def _logged(self, matches):
        if not os.path.exists(self.log):
            return 0
        with open(self.log, encoding="utf-8") as file:
            return sum(1 for line in file if matches(line.rstrip("\n")))


class Program:
    """A copy of morvane in the session's folder with a list of one element and settings
    that test the internet against the local server."""

    def __init__(self, session, morvane, mvntool, probe_host):
        self.session = session
        self.mvntool = mvntool
        self.file = os.path.join(session.folder, "morvane")
        shutil.copy(morvane, self.file)
        with open(os.path.join(session.folder, "morvane.INI"), "w", encoding="utf-8") as out:
            out.write(f"[Config]\nInternetProbeHost={probe_host}\n")
        self.bin = os.path.join(session.folder, "bin")
        os.makedirs(self.bin)
        self.database = os.path.join(session.folder, "morvane.MVN")

    def start(self, element):
        """The program on a list of `element` alone, checked only on demand."""
        return self.start_list([dict(element, m_nWhen=WHEN_ON_DEMAND)])

    def start_list(self, elements):
        folder = self.session.folder
        list_json = os.path.join(folder, "list.json")
        with open(list_json, "w", encoding="utf-8") as out:
            json.dump({"elements": elements}, out)
        subprocess.run([self.mvntool, "write", list_json, self.database],
                       check=True, timeout=30)
        path = self.bin + ":" + os.environ.get("PATH", "/usr/bin:/bin")
        process = self.session.spawn([self.file], log="morvane.log",
                                     env=self.session.env({"PATH": path}))
        return process, self.session.one_window("Morvane")

    def add_viewer(self, name, script):
        path = os.path.join(self.bin, name)
        with open(path, "w", encoding="utf-8") as out:
            out.write(script)
        os.chmod(path, stat.S_IRWXU)


def program_windows(session):
    return session.run("xdotool", "search", "--onlyvisible", "--class", "^morvane$").split()


def check_now(session, window):
    """Selects the only element of the list and presses "Check now !" from the keyboard."""
    width, height = session.size(window)
    session.run("xdotool", "windowfocus", "--sync", window)
    session.run("xdotool", "mousemove", "--window", window, str(width // 2), str(height // 2),
                "click", "1")
    # Down makes the item current, space selects it.
    session.keys(window, "Down", "space", *["Tab"] * TABS_FROM_LIST_TO_CHECK_NOW, "space")


def measure_stalled_probe(session, program, address, stall_limit):
    """Checks an element whose probe stalls; pings until its failure box is up."""
    process, window = program.start({"m_strDescription": "Stalled", "m_strCopy": address,
                                     "m_nCheckMode": CHECK_ABSOLUTE_TIME,
                                     "m_nAction": ACTION_NOTHING})
    before = len(program_windows(session))
    pinger = Pinger(session.display, window)
    started = time.monotonic()
    check_now(session, window)

    def box_up():
        check(process.poll() is None, "morvane ended during the probe")
        return len(program_windows(session)) > before

    wait_for("the failure box of the stalled probe", box_up, stall_limit)
    stalled = time.monotonic() - started
    result = pinger.finish()
    stop(process)
    return result, stalled


class Viewer:
    """A viewer of the new version that stays open until `close`."""

    def __init__(self, session, program):
        folder = session.folder
        self.session = session
        self.hold = os.path.join(folder, "viewer-hold")
        self.opened = os.path.join(folder, "viewer-open")
        program.add_viewer("mousepad", f"#!/bin/sh\n: > '{self.opened}'\n"
                                       f"while [ -e '{self.hold}' ]; do sleep 0.1; done\n")
        self.copy = os.path.join(folder, "new-version.txt")
        with open(self.copy, "w", encoding="utf-8") as out:
            out.write("new\n")

    def element(self):
        for path in (self.opened, self.hold):
            if os.path.exists(path):
                os.remove(path)
        open(self.hold, "w").close()
        return {"m_strDescription": "Viewed", "m_strCopy": self.copy,
                "m_nCheckMode": CHECK_EXISTENCE, "m_nAction": ACTION_VIEW_NEW}

    def wait_open(self):
        notice = self.session.one_window("New version !!")

        def viewer_open():
            # The notice ignores keys for a moment after it opens: press Ok until it goes.
            if self.session.visible_windows("New version !!"):
                self.session.keys(notice, "Return")
            return os.path.exists(self.opened)

        wait_for("the viewer", viewer_open)

    def close(self):
        os.remove(self.hold)


def measure_open_viewer(session, program):
    """A new version whose action is the quick view: pings while the viewer is open."""
    viewer = Viewer(session, program)
    process, window = program.start(viewer.element())
    pinger = Pinger(session.display, window)
    check_now(session, window)
    viewer.wait_open()
    started = time.monotonic()
    time.sleep(VIEWER_OPEN)
    viewer.close()
    open_for = time.monotonic() - started
    result = pinger.finish()
    stop(process)
    return result, open_for


class XcursorImage(ctypes.Structure):
    _fields_ = [("version", ctypes.c_uint), ("size", ctypes.c_uint), ("width", ctypes.c_uint),
                ("height", ctypes.c_uint), ("xhot", ctypes.c_uint), ("yhot", ctypes.c_uint),
                ("delay", ctypes.c_uint), ("pixels", ctypes.POINTER(ctypes.c_uint))]


class XcursorImages(ctypes.Structure):
    _fields_ = [("nimage", ctypes.c_int), ("images", ctypes.POINTER(ctypes.POINTER(XcursorImage))),
                ("name", ctypes.c_char_p)]


def themed_frames(display_name, names):
    """The frames of the first cursor of `names` that the display's cursor theme has, as
    (width, height, hot spot x, hot spot y, ARGB pixels); empty without such a cursor."""
    x11 = ctypes.CDLL("libX11.so.6")
    xcursor = ctypes.CDLL("libXcursor.so.1")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xcursor.XcursorGetTheme.restype = ctypes.c_char_p
    xcursor.XcursorGetTheme.argtypes = [ctypes.c_void_p]
    xcursor.XcursorGetDefaultSize.argtypes = [ctypes.c_void_p]
    xcursor.XcursorLibraryLoadImages.restype = ctypes.POINTER(XcursorImages)
    xcursor.XcursorLibraryLoadImages.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int]
    xcursor.XcursorImagesDestroy.argtypes = [ctypes.POINTER(XcursorImages)]
    connection = x11.XOpenDisplay(display_name.encode())
    check(connection, f"cannot open display {display_name}")
    theme = xcursor.XcursorGetTheme(connection)
    size = xcursor.XcursorGetDefaultSize(connection)
    x11.XCloseDisplay(connection)
    for name in names:
        loaded = xcursor.XcursorLibraryLoadImages(name.encode(), theme, size)
        if not loaded:
            continue
        frames = set()
        for index in range(loaded.contents.nimage):
            image = loaded.contents.images[index].contents
            pixels = tuple(image.pixels[i] for i in range(image.width * image.height))
            frames.add((image.width, image.height, image.xhot, image.yhot, pixels))
        xcursor.XcursorImagesDestroy(loaded)
        return frames
    return set()


class Pointer:
    """The real pointer and the cursor it shows (XFixes), from a connection of its own."""

    # The busy cursor by the names a toolkit asks the cursor theme for.
    BUSY_NAMES = ("wait", "watch")

    def __init__(self, session):
        self.session = session
        self.connection = display.Display(session.display)
        self.connection.xfixes_query_version()
        self.busy = themed_frames(session.display, self.BUSY_NAMES)
        check(self.busy, "the cursor theme has no busy cursor")

    def shows_busy_over(self, window, x, y):
        """Whether the cursor is a frame of the busy one with the pointer at (x, y) of
        `window`."""
        self.session.run("xdotool", "mousemove", "--window", window, str(x), str(y))
        time.sleep(0.3)
        image = self.connection.xfixes_get_cursor_image(self.connection.screen().root)
        shown = (image.width, image.height, image.xhot, image.yhot, tuple(image.cursor_image))
        return shown in self.busy

    def close(self):
        self.connection.close()


def folder_names(session):
    return set(os.listdir(session.folder))


def check_ended_at_once(session, program, process, what):
    """SIGTERM to `process`, which is in the middle of a wait: it must end with status 0
    within END_LIMIT, writing nothing."""
    with open(program.database, "rb") as file:
        listed = file.read()
    before = folder_names(session)
    process.send_signal(signal.SIGTERM)
    check(wait_exit(process, f"morvane after SIGTERM {what}", END_LIMIT) == 0,
          f"morvane did not end cleanly on SIGTERM {what}")
    with open(program.database, "rb") as file:
        check(file.read() == listed, f"the list changed at SIGTERM {what}")
    new = folder_names(session) - before
    check(not new, f"SIGTERM {what} left {sorted(new)} in the program's folder")


def end_during_stalled_probe(session, program, servers):
    process, window = program.start({"m_strDescription": "Stalled",
                                     "m_strCopy": f"ftp://127.0.0.1:{servers.silent}/file.txt",
                                     "m_nCheckMode": CHECK_ABSOLUTE_TIME,
                                     "m_nAction": ACTION_NOTHING})
    connections = servers.silent_connections()
    check_now(session, window)
    wait_for("the probe's connection to the silent server",
             lambda: servers.silent_connections() > connections)
    check_ended_at_once(session, program, process, "during a stalled FTP probe")


def end_with_viewer_open(session, program):
    viewer = Viewer(session, program)
    process, window = program.start(viewer.element())
    check_now(session, window)
    viewer.wait_open()
    check_ended_at_once(session, program, process, "with the viewer open")
    viewer.close()


def click_button(session, window, left):
    width, height = session.size(window)
    x = round((left + BUTTON_WIDTH / 2) * width / TEMPLATE_WIDTH)
    session.click(window, x, height - BUTTON_ROW_FROM_BOTTOM)


def clicks_during_wait(session, window, pointer, what):
    """The busy cursor over the main window, then a click on New and one on Delete."""
    check(pointer.shows_busy_over(window, 100, 100),
          f"the cursor over the window is not the busy one {what}")
    click_button(session, window, NEW_LEFT)
    click_button(session, window, DELETE_LEFT)


def check_clicks_dropped(session, window, pointer, what):
    """Nothing of the clicks during the wait comes up after it; the same clicks now act."""
    wait_for(f"the end of the wait {what}",
             lambda: not pointer.shows_busy_over(window, 100, 100))
    time.sleep(SETTLE)
    check(not session.visible_windows(EDITOR), f"a click on New {what} opened the editor")
    check(not session.visible_windows(DELETE_QUESTION),
          f"a click on Delete {what} asked to delete")
    # Delete first: New empties the selection that Delete needs.
    for left, title in ((DELETE_LEFT, DELETE_QUESTION), (NEW_LEFT, EDITOR)):
        click_button(session, window, left)
        dialog = session.one_window(title)
        session.keys(dialog, "Escape")
        wait_for(f'"{title}" to close', lambda: not session.visible_windows(title))


def drop_clicks_during_late_probe(session, program, servers, pointer):
    """A probe that the server answers late, with no new version: nothing follows the wait
    that would take the clicks in its place."""
    served = os.path.join(servers.root, "late.txt")
    with open(served, "w", encoding="utf-8") as out:
        out.write("late\n")
    process, window = program.start({"m_strDescription": "Late",
                                     "m_strCopy": f"http://127.0.0.1:{servers.http}/late/late.txt",
                                     "m_nCheckMode": CHECK_ABSOLUTE_TIME,
                                     "m_timeReference": 0x7FFFFFFF,
                                     "m_nAction": ACTION_NOTHING})
    check_now(session, window)
    what = "during a probe the server answers late"
    clicks_during_wait(session, window, pointer, what)
    check_clicks_dropped(session, window, pointer, what)
    stop(process)


def drop_clicks_with_viewer_open(session, program, pointer):
    viewer = Viewer(session, program)
    process, window = program.start(viewer.element())
    check_now(session, window)
    viewer.wait_open()
    what = "with the viewer open"
    clicks_during_wait(session, window, pointer, what)
    viewer.close()
    check_clicks_dropped(session, window, pointer, what)
    stop(process)


def scenario_input(session, prepared):
    program, servers = prepared
    pointer = Pointer(session)
    drop_clicks_during_late_probe(session, program, servers, pointer)
    drop_clicks_with_viewer_open(session, program, pointer)
    pointer.close()


def scenario_end(session, prepared):
    program, servers = prepared
    end_during_stalled_probe(session, program, servers)
    end_with_viewer_open(session, program)


def scenario_pings(session, prepared):
    program, servers = prepared
    results = {
        "stalled HTTP probe": measure_stalled_probe(
            session, program, f"http://127.0.0.1:{servers.http}/silent", 30),
        "stalled FTP probe": measure_stalled_probe(
            session, program, f"ftp://127.0.0.1:{servers.silent}/pub/file.txt", 120),
        "open viewer": measure_open_viewer(session, program),
    }
    failed = []
    for wait, ((longest, pings, late), duration) in results.items():
        print(f"{wait}: {duration:.1f} s, {pings} pings, longest unanswered {longest:.2f} s")
        if late:
            failed.append(f"{late} of {pings} pings during the {wait} were not answered "
                          f"within {UNANSWERED_AFTER:.0f} s")
    check(not failed, "; ".join(failed))


NEEDED = ["Xvfb", "xdotool", "xwininfo", "xprop", "trayer", "openbox"]
SCENARIOS = {"pings": (scenario_pings, NEEDED), "end": (scenario_end, NEEDED),
             "input": (scenario_input, NEEDED)}


def prepare(session, argv):
    """The tray, the window manager, the test servers and the program each scenario uses."""
    start_window_manager(session, start_tray(session))
    servers = TestServers(session)
    return Program(session, argv[2], argv[3], f"127.0.0.1:{servers.http}"), servers


def main(argv):
    if X is None:
        print("skipped: python3-xlib not installed")
        return SKIP
    return run_scenario(argv, __doc__, SCENARIOS, TIME_LIMIT, prepare)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
