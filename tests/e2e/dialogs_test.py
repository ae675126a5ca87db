#!/usr/bin/python3
"""End-to-end tests of the real morvane program's dialogs, on its own X server with a window
manager, driven by the mouse and the keyboard.

usage: dialogs_test.py notice|editor MORVANE MVNTOOL

notice: a launch check finds a new version of a local copy; the new-version notice answered
        by Enter copies it over the original, answered by Escape leaves the original as it
        was.
editor: from an empty list, New opens the element editor; its fields are filled from the
        keyboard (a radio group is one Tab stop, the arrow keys choose within it), the new
        element's check mode and action left as they are, the local original that its copy
        action needs typed into its box. Ok adds the element without an error box and Save
        writes the list: it then holds exactly that element, and the program quits without
        asking about unsaved changes.

Exit status: 0 passed, 1 failed, 77 skipped (a program that a scenario needs is missing).
"""

import json
import os
import subprocess
import sys
import time

from program_test import Program, focus_list, start_tray, start_window_manager
from xsession import check, run_scenario, wait_for

TIME_LIMIT = 90
NEW_CONTENT = b"the new version\n"
OLD_CONTENT = b"the old version\n"
# The notice ignores input for its first half second.
INPUT_GUARD_SECONDS = 0.6
NOTICE = "New version !!"
EDITOR = "Modify element"
ERROR_BOX = "ERROR"
# Tab order of the main window from the list: New, Modify, Delete, Check now, Save.
TABS_FROM_LIST_TO_NEW = 1
TABS_FROM_LIST_TO_SAVE = 5


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
    program = Program(session, argv[2], argv[3], elements=[])
    program.set_up()
    process = program.start()
    window = session.one_window("Morvane")
    focus_list(session, window)
    session.keys(window, *["Tab"] * TABS_FROM_LIST_TO_NEW, "space")

    copy = os.path.join(session.folder, "watched", "report.txt")
    original = os.path.join(session.folder, "report.txt")
    editor = session.one_window(EDITOR)
    # A fresh element: Existence checked, the copy action, checked at launch. The editor
    # opens on the description; then the Active box, the copy's name and its "...", then
    # the original's name, open since the copy action needs it.
    session.type_text(editor, "Weekly report")
    session.keys(editor, "Tab", "Tab")
    session.type_text(editor, copy)
    session.keys(editor, "Tab", "Tab")
    session.type_text(editor, original)
    # Past the original's "...", the check-mode group stops at Existence and the when-mode
    # group at At launch; Only on user demand is the button below it.
    session.keys(editor, "Tab", "Tab", "Tab", "Down", "Return")
    wait_for("the editor to close or an error box",
             lambda: not session.visible_windows(EDITOR) or session.visible_windows(ERROR_BOX))
    check(not session.visible_windows(ERROR_BOX), "Ok in the editor showed an error box")
    check(process.poll() is None, "morvane ended after Ok in the editor")

    focus_list(session, window)
    session.keys(window, *["Tab"] * TABS_FROM_LIST_TO_SAVE, "space")
    # Saved: Quit asks nothing.
    program.quit(process, window)
    dump = subprocess.run([argv[3], "dump", program.database], capture_output=True, check=True,
                          timeout=30)
    elements = json.loads(dump.stdout)["elements"]
    check(len(elements) == 1, f"the saved list holds {len(elements)} elements")
    expected = {"m_strDescription": "Weekly report", "m_strCopy": copy,
                "m_strOriginal": original, "m_nCheckMode": 2, "m_nAction": 1, "m_nWhen": 2,
                "m_bSignal": 1, "m_bActive": 1}
    saved = {key: elements[0].get(key) for key in expected}
    check(saved == expected, f"the saved element is {saved}, expected {expected}")


NEEDED = ["Xvfb", "xdotool", "xwininfo", "xprop", "trayer", "openbox"]
SCENARIOS = {"notice": (scenario_notice, NEEDED), "editor": (scenario_editor, NEEDED)}


def main(argv):
    return run_scenario(argv, __doc__, SCENARIOS, TIME_LIMIT)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
