#!/usr/bin/python3
"""End-to-end tests of the real morvane program's dialogs, on its own X server with a window
manager, driven by the mouse and the keyboard.

usage: dialogs_test.py notice|editor MORVANE MVNTOOL

notice: a launch check finds a new version of a local copy; the new-version notice answered
        by Enter copies it over the original, answered by Escape leaves the original as it
        was.
editor: New opens the element editor; a description, a mode, a copy and an original are
        typed in and confirmed with Ok; Save writes the list, which `mvntool dump` reads
        back with the new element.

Exit status: 0 passed, 1 failed, 77 skipped (a program that a scenario needs is missing).
"""

import json
import os
import subprocess
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
EDITOR = "Modify element"
# Dialog template 129, the element editor: its size and the centres of the controls the
# scenario uses, in dialog units.
EDITOR_UNITS = (395, 297)
FILE_TIME_RADIO = (10 + 56, 106 + 7)
COPY_EDIT = (132 + 108, 52 + 6)
ORIGINAL_EDIT = (132 + 108, 105 + 6)
# Tab order of the main window: list, New, ...
TABS_FROM_LIST_TO_NEW = 1


def click_at_units(session, window, units, point):
    width, height = session.size(window)
    x = width * point[0] // units[0]
    y = height * point[1] // units[1]
    session.run("xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1")


def type_text(session, window, text):
    session.run("xdotool", "windowfocus", "--sync", window)
    session.run("xdotool", "type", "--delay", "20", text)


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


def scenario_editor(session, argv):
    panel = start_tray(session)
    start_window_manager(session, panel)
    # The list's one element comes first in the file; the new one is added after it.
    program = Program(session, argv[2], argv[3])
    program.set_up()
    process = program.start()
    window = session.one_window("Morvane")
    width, height = session.size(window)
    session.run("xdotool", "windowfocus", "--sync", window)
    session.run("xdotool", "mousemove", "--window", window, str(width // 2), str(height // 2),
                "click", "1")
    session.keys(window, *["Tab"] * TABS_FROM_LIST_TO_NEW, "space")

    editor = session.one_window(EDITOR)
    copy = "/srv/reports/weekly.txt"
    original = os.path.join(session.folder, "weekly.txt")
    # The description has the focus when the editor opens.
    type_text(session, editor, "Weekly report")
    # The original can be typed only in file-time mode.
    click_at_units(session, editor, EDITOR_UNITS, FILE_TIME_RADIO)
    click_at_units(session, editor, EDITOR_UNITS, COPY_EDIT)
    type_text(session, editor, copy)
    click_at_units(session, editor, EDITOR_UNITS, ORIGINAL_EDIT)
    type_text(session, editor, original)
    session.keys(editor, "Return")
    wait_for("the editor to close", lambda: not session.visible_windows(EDITOR))
    check(process.poll() is None, "morvane ended after Ok in the editor")

    before = os.stat(program.database).st_mtime_ns
    # Enter in the main window saves.
    session.keys(window, "Return")
    wait_for("the list to be saved", lambda: os.stat(program.database).st_mtime_ns != before)
    dump = subprocess.run([program.mvntool, "dump", program.database], capture_output=True,
                          text=True, timeout=30, check=True)
    elements = json.loads(dump.stdout)["elements"]
    check(len(elements) == 2, f"the saved list holds {len(elements)} elements")
    saved = elements[1]
    expected = {"m_strDescription": "Weekly report", "m_strCopy": copy,
                "m_strOriginal": original, "m_nCheckMode": 1, "m_nAction": 1}
    wrong = {key: saved.get(key) for key, value in expected.items() if saved.get(key) != value}
    check(not wrong, f"the saved element differs in {wrong}")
    program.quit(process, window)


NEEDED = ["Xvfb", "xdotool", "xwininfo", "xprop", "trayer", "openbox"]
SCENARIOS = {"notice": (scenario_notice, NEEDED), "editor": (scenario_editor, NEEDED)}


def main(argv):
    return run_scenario(argv, __doc__, SCENARIOS, TIME_LIMIT)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
