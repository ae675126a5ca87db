#!/usr/bin/python3
"""Responsiveness of the real morvane program, as a desktop measures it, and its end
during a wait.

usage: responsiveness_test.py pings|end MORVANE MVNTOOL

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

Exit status: 0 passed, 1 failed, 77 skipped (a program or module it needs is missing).
"""

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
        root = os.path.join(session.folder, "www")
        os.makedirs(root)
        self.log = os.path.join(session.folder, "servers.log")
        self.process = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(SERVERS, "http_server.py"), root,
             "--log", self.log],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        session.processes.append(self.process)
        ready, _, _ = select.select([self.process.stdout], [], [], 15)
        check(ready, "the test server did not report its ports")
        words = self.process.stdout.readline().split()
        check(len(words) == 3 and words[0] == "PORT", f"the test server said {words}")
        self.http, self.silent = int(words[1]), int(words[2])

    def silent_connections(self):
        if not os.path.exists(self.log):
            return 0
        with open(self.log, encoding="utf-8") as file:
            return sum(1 for line in file if line.strip() == "ACCEPT")


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
        folder = self.session.folder
        list_json = os.path.join(folder, "list.json")
        with open(list_json, "w", encoding="utf-8") as out:
            json.dump({"elements": [dict(element, m_nWhen=WHEN_ON_DEMAND)]}, out)
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
SCENARIOS = {"pings": (scenario_pings, NEEDED), "end": (scenario_end, NEEDED)}


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
