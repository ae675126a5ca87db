#!/usr/bin/python3
"""The minute passes of the real morvane program go on while failure boxes stay open.

usage: passes_test.py boxes_open MORVANE MVNTOOL

boxes_open: three permanent elements, the first two on a port where nothing listens, the
            third on the tests' HTTP server; no internet test. Left alone, the first minute
            pass opens the first element's failure box; the next, run inside that box,
            opens the second's; every later minute gets its pass inside the boxes, and each
            of them asks the server for the third element's file (a pass asks for all its
            copies ahead of its checks, so the two passes waiting in their boxes asked
            once each). Checked over five minutes of real timers: two boxes open, and then
            one request in each of the next minutes, with the boxes still open.

Exit status: 0 passed, 1 failed, 77 skipped (a program or module it needs is missing).
"""

import os
import sys

from program_test import start_tray, start_window_manager
from responsiveness_test import NEEDED, Program, TestServers
from xsession import check, run_scenario, wait_for

MINUTE = 60
# The first pass comes at the first whole minute after the start; a little more for the
# program to start and for a pass to run.
FIRST_PASS_WITHIN = MINUTE + 20
PASSES_WITH_BOXES_OPEN = 3
TIME_LIMIT = FIRST_PASS_WITHIN + (2 + PASSES_WITH_BOXES_OPEN) * MINUTE + 60
WHEN_PERMANENT = 3
CHECK_ABSOLUTE_TIME = 0
# Nothing listens on port 1 of the loopback interface.
NOBODY = "http://127.0.0.1:1"
GOOD = "/files/good.txt"


def element(description, address):
    # A reference time far ahead: the good element never finds a new version.
    return {"m_strDescription": description, "m_strCopy": address, "m_nWhen": WHEN_PERMANENT,
            "m_nCheckMode": CHECK_ABSOLUTE_TIME, "m_timeReference": 0x7FFFFFFF}


def scenario_boxes_open(session, prepared):
    program, servers = prepared
    with open(os.path.join(servers.root, "good.txt"), "w", encoding="utf-8") as out:
        out.write("good\n")
    process, _ = program.start_list([element("first", f"{NOBODY}/x"),
                                     element("second", f"{NOBODY}/y"),
                                     element("good", f"http://127.0.0.1:{servers.http}{GOOD}")])

    def boxes(count):
        check(process.poll() is None, "morvane ended")
        return len(session.visible_windows("ERROR")) == count

    wait_for("the first failure box", lambda: boxes(1), FIRST_PASS_WITHIN)
    wait_for("the second failure box", lambda: boxes(2), MINUTE + 20)
    # Both earlier passes wait inside their boxes; each asked for the good element's copy
    # ahead of its checks.
    asked = servers.requests(GOOD)
    check(asked == 2, f"the passes that opened the boxes asked {asked} times for the good copy")
    for done in range(1, PASSES_WITH_BOXES_OPEN + 1):
        wait_for(f"the good element's check in pass {done + 2}",
                 lambda: servers.requests(GOOD) >= asked + done, MINUTE + 20)
        check(boxes(2), f"the failure boxes are not both open after pass {done + 2}")
        print(f"pass {done + 2}: the good element checked, both boxes open")


SCENARIOS = {"boxes_open": (scenario_boxes_open, NEEDED)}


def prepare(session, argv):
    """The tray, the window manager, the test server and the program without internet
    test."""
    start_window_manager(session, start_tray(session))
    servers = TestServers(session)
    return Program(session, argv[2], argv[3], ""), servers


def main(argv):
    return run_scenario(argv, __doc__, SCENARIOS, TIME_LIMIT, prepare)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
