#!/usr/bin/python3
"""End-to-end tests of a download in the real morvane program, on its own X server with a
window manager and a notification area. The list holds one web copy whose new version is
copied over the original; the tests' HTTP server sends it so slowly (/trickle/) that the
download is still running when the user acts on it.

usage: download_test.py cancel|quit|box MORVANE MVNTOOL

cancel: the progress window is cancelled with a click on Cancel, then with Escape; the
        result box comes up while the progress window is still mapped, and once it is
        answered, the original and its folder are as they were.
quit:   the program ends while the download runs: Quit in the notification-area menu,
        SIGTERM during a download of the launch checks, SIGINT while the new-version notice
        is open, SIGHUP with the window idle. Each time it exits with status 0 at once,
        with the original untouched and no temporary file beside it.
box:    the original's folder does not exist, so the download cannot create its file: the
        error box comes up while the progress window is still there and is answered with a
        click on its button, then the result box the same way; the progress window goes and
        the main window takes keys again.

Exit status: 0 passed, 1 failed, 77 skipped (a program that a scenario needs is missing).
"""

import os
import select
import signal
import subprocess
import sys
import time

from program_test import (Program, click_tray_menu_item, reduce_by_keys, start_tray,
                          start_window_manager)
from xsession import check, run_scenario, wait_exit, wait_for

TIME_LIMIT = 120
SERVERS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "servers")
# 256 pieces of 4096 bytes, one every half second: about two minutes in all.
SERVED_SIZE = 256 * 4096
ORIGINAL = b"the original, which no stopped download may touch\n"
# The notice and the trash question ignore input for their first half second.
INPUT_GUARD_SECONDS = 0.6
NOTICE = "New version !!"
# The result box has the program file's base name as its caption.
RESULT_BOX = "morvane"
ERROR_BOX = "ERROR"
# The progress window names the file it downloads.
PROGRESS = "Downloading big.bin"
# Dialog template 103, the progress window: its size and its Cancel button, in dialog units.
PROGRESS_UNITS = (298, 79)
CANCEL_CENTRE_UNITS = (123 + 25, 58 + 7)
# Tab order of the main window: list, New, Modify, Delete, Check now, ...
TABS_FROM_LIST_TO_CHECK_NOW = 4


class HttpServer:
    """The tests' HTTP server on 127.0.0.1, serving `root`; it ends with the session."""

    def __init__(self, session, root):
        log = os.path.join(session.folder, "http.log")
        self.process = subprocess.Popen(
            [sys.executable, os.path.join(SERVERS, "http_server.py"), root, "--log", log],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        session.processes.append(self.process)
        ready, _, _ = select.select([self.process.stdout], [], [], 15)
        words = self.process.stdout.readline().split() if ready else []
        check(len(words) == 3 and words[0] == b"PORT", f"the HTTP server said {words}")
        self.port = int(words[1])

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"


class Download:
    """The program with a list of one web copy, copied over `original` when found."""

    def __init__(self, session, argv):
        self.session = session
        self.argv = argv
        served = os.path.join(session.folder, "served")
        os.makedirs(served)
        with open(os.path.join(served, "big.bin"), "wb") as file:
            file.write(b"n" * SERVED_SIZE)
        self.server = HttpServer(session, served)
        self.folder = os.path.join(session.folder, "downloads")
        os.makedirs(self.folder)
        self.original = os.path.join(self.folder, "report.bin")
        self.program = None

    def start(self, when, original=None):
        """Starts the program with the element checked `when` (1 at launch, 2 on demand),
        copied over `original` (by default the original, put in place); the test server
        stands in for the internet test's host."""
        # Existence mode: the copy exists, so every check finds a new version.
        element = {"m_strDescription": "Web report", "m_nCheckMode": 2,
                   "m_strCopy": self.server.url("/trickle/big.bin"),
                   "m_strOriginal": original or self.original, "m_bSignal": 1,
                   "m_nAction": 1, "m_nWhen": when}
        self.program = Program(self.session, self.argv[2], self.argv[3], elements=[element])
        if original is None:
            with open(self.original, "wb") as file:
                file.write(ORIGINAL)
        self.program.set_up(settings=f"InternetProbeHost=127.0.0.1:{self.server.port}\n")
        return self.program.start()

    def temporary_files(self):
        return [name for name in os.listdir(self.folder) if name != "report.bin"]

    def accept_notice(self):
        notice = self.session.one_window(NOTICE)
        time.sleep(INPUT_GUARD_SECONDS)
        self.session.keys(notice, "Return")

    def wait_running(self, process):
        """The progress window of the running download, once it writes its temporary file."""
        def writing():
            check(process.poll() is None, "morvane ended while it started the download")
            return self.temporary_files()

        window = self.session.one_window(PROGRESS)
        wait_for("the download's temporary file", writing)
        return window

    def check_untouched(self, when):
        with open(self.original, "rb") as file:
            check(file.read() == ORIGINAL, f"the original changed {when}")
        left = self.temporary_files()
        check(not left, f"{when}, the folder of the original still holds {left}")


def result_box(session):
    return session.one_window(RESULT_BOX)


def is_mapped(session, window):
    info = session.run("xwininfo", "-id", window)
    return "Map State: IsViewable" in info


def click_cancel(session, window):
    width, height = session.size(window)
    x = width * CANCEL_CENTRE_UNITS[0] // PROGRESS_UNITS[0]
    y = height * CANCEL_CENTRE_UNITS[1] // PROGRESS_UNITS[1]
    session.run("xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1")


def scenario_cancel(session, argv):
    panel = start_tray(session)
    start_window_manager(session, panel)
    download = Download(session, argv)
    for how in ("a click on Cancel", "Escape"):
        print(f"cancelling by {how}")
        process = download.start(when=1)
        download.accept_notice()
        progress = download.wait_running(process)
        if how == "Escape":
            session.keys(progress, "Escape")
        else:
            click_cancel(session, progress)
        box = result_box(session)
        check(is_mapped(session, progress),
              "the progress window went before the result box came up")
        session.keys(box, "Return")
        window = session.one_window("Morvane")
        wait_for("the progress window to go", lambda: not is_mapped(session, progress))
        download.check_untouched(f"after {how}")
        download.program.quit(process, window)


def scenario_quit(session, argv):
    panel = start_tray(session)
    start_window_manager(session, panel)

    download = Download(session, argv)
    print("Quit in the tray menu during a download")
    process = download.start(when=2)
    window = session.one_window("Morvane")
    reduce_by_keys(session, window)
    wait_for("the window to hide", lambda: not session.visible_windows("Morvane"))
    click_tray_menu_item(session, process, panel, "Verify all now")
    download.accept_notice()
    download.wait_running(process)
    click_tray_menu_item(session, process, panel, "Quit")
    check(wait_exit(process, "morvane after Quit during a download") == 0,
          "morvane ended with an error after Quit")
    download.check_untouched("after Quit during a download")

    print("SIGTERM during a download of the launch checks")
    process = download.start(when=1)
    download.accept_notice()
    download.wait_running(process)
    process.send_signal(signal.SIGTERM)
    check(wait_exit(process, "morvane after SIGTERM during a download") == 0,
          "morvane did not end cleanly on SIGTERM")
    download.check_untouched("after SIGTERM during a download")

    print("SIGINT while the notice is open")
    process = download.start(when=1)
    session.one_window(NOTICE)
    process.send_signal(signal.SIGINT)
    check(wait_exit(process, "morvane after SIGINT") == 0, "morvane did not end cleanly on SIGINT")
    download.check_untouched("after SIGINT")

    print("SIGHUP with the window idle")
    process = download.start(when=2)
    session.one_window("Morvane")
    process.send_signal(signal.SIGHUP)
    check(wait_exit(process, "morvane after SIGHUP") == 0, "morvane did not end cleanly on SIGHUP")


def click_box_button(session, box):
    """Clicks the one button of a message box, found as the lowest thing the box draws once
    two looks in a row see it in the same place (the box is then fully drawn)."""
    seen = [None]

    def settled():
        place = session.lowest_drawing(box)
        same = place is not None and place == seen[0]
        seen[0] = place
        return same and place

    left, top, right, bottom = wait_for("the box to be drawn", settled)
    print(f"the box's button spans ({left}, {top}) to ({right}, {bottom})")
    session.click(box, (left + right) // 2, (top + bottom) // 2)
    wait_for("the box to close after a click on its button",
             lambda: not is_mapped(session, box))


def scenario_box(session, argv):
    panel = start_tray(session)
    start_window_manager(session, panel)
    download = Download(session, argv)
    in_no_folder = os.path.join(download.folder, "missing", "report.bin")
    process = download.start(when=1, original=in_no_folder)
    download.accept_notice()
    progress = session.one_window(PROGRESS)
    box = session.one_window(ERROR_BOX)
    check(is_mapped(session, progress), "the progress window went before the error box")
    click_box_button(session, box)
    click_box_button(session, result_box(session))
    wait_for("the progress window to go", lambda: not is_mapped(session, progress))
    check(not download.temporary_files(), "the failed download left files behind")
    download.program.quit(process, session.one_window("Morvane"))


NEEDED = ["Xvfb", "xdotool", "xwininfo", "xprop", "trayer", "openbox"]
SCENARIOS = {"cancel": (scenario_cancel, NEEDED), "quit": (scenario_quit, NEEDED),
             "box": (scenario_box, NEEDED)}


def main(argv):
    return run_scenario(argv, __doc__, SCENARIOS, TIME_LIMIT)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
