#!/usr/bin/python3
"""End-to-end tests of the real morvane program's dialogs, on its own X server with a window
manager, driven by the mouse and the keyboard.

usage: dialogs_test.py notice MORVANE MVNTOOL

notice: a launch check finds a new version of a local copy; the new-version notice answered
        by Enter copies it over the original, answered by Escape leaves the original as it
        was.

Exit status: 0 passed, 1 failed, 77 skipped (a program that a scenario needs is missing).
"""

import os
import sys
import time

from program_test import Program, start_tray, start_window_manager
from xsession import check, run_scenario, wait_for

TIME_LIMIT = 90
NEW_CONTENT = b"the new version\n"
OLD_CONTENT = b"the old version\n"
# The notice ignores input for its first half second.
INPUT_GUARD_SECONDS = 0.6
NOTICE = "New version !!"


def scenario_notice(session, argv):
    panel = start_tray(session)
    start_window_manager(session, panel)
    copy = os.path.join(session.folder, "copy.txt")
    original = os.path.join(session.folder, "original.txt")
    with open(copy, "wb") as file:
        file.write(NEW_CONTENT)
    # Existence mode at launch: the start-up check finds the copy and shows the notice.
    element = {"m_strDescription": "Local report", "m_nCheckMode": 2, "m_strCopy": copy,
               "m_strOriginal": original, "m_bSignal": 1, "m_nAction": 1, "m_nWhen": 1}
    program = Program(session, argv[2], argv[3], elements=[element])
    for key, expected in (("Escape", OLD_CONTENT), ("Return", NEW_CONTENT)):
        print(f"the notice answered by {key}")
        with open(original, "wb") as file:
            file.write(OLD_CONTENT)
        program.set_up()
        process = program.start()
        notice = session.one_window(NOTICE)
        time.sleep(INPUT_GUARD_SECONDS)
        session.keys(notice, key)
        window = session.one_window("Morvane")
        wait_for("the notice to close", lambda: not session.visible_windows(NOTICE))
        with open(original, "rb") as file:
            check(file.read() == expected, f"after {key} the original holds the wrong content")
        program.quit(process, window)


NEEDED = ["Xvfb", "xdotool", "xwininfo", "xprop", "trayer", "openbox"]
SCENARIOS = {"notice": (scenario_notice, NEEDED)}


def main(argv):
    return run_scenario(argv, __doc__, SCENARIOS, TIME_LIMIT)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
