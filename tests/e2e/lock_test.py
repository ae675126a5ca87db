#!/usr/bin/python3
"""End-to-end tests of one writer per list: the real morvane program and mvntool on their
lists, on the program's own X server with a window manager and a notification area.

usage: lock_test.py instances|mvntool|unreadable MORVANE MVNTOOL

instances:  a second start on a list that a window holds ends with status 0 and brings that
            window to the front, from behind another window and from the notification area;
            a program with a list in another folder runs beside it; after kill -9 of the
            window, the next start opens its window although the killed one's socket is left.
mvntool:    while the window holds the list, `mvntool check --save` and `mvntool write` exit
            with status 4, say that the list is open in Morvane (in French with the
            settings beside the list saying so), check nothing and leave it byte for byte;
            `mvntool dump` reads it; once the window has quit, both write.
unreadable: a list cut short opens with the error box; an element deleted and the list saved
            keep the damaged bytes under a new name beside it, byte for byte, and the saved
            list holds the elements read before the damage but the deleted one.

Exit status: 0 passed, 1 failed, 77 skipped (a program that a scenario needs is missing).
"""

import json
import os
import re
import subprocess
import sys
import time

from program_test import (Program, focus_list, reduce_by_keys, start_tray,
                          start_window_manager)
from xsession import check, run_scenario, wait_exit, wait_for

TIME_LIMIT = 100
NEEDED = ["Xvfb", "xdotool", "xwininfo", "xprop", "trayer", "openbox"]
HELD_STATUS = 4
# Tab order of the main window from the list: New, Modify, Delete, Check now, Save.
TABS_FROM_LIST_TO_DELETE = 3
TABS_FROM_LIST_TO_SAVE = 5


def window_of(session, process):
    """The visible main window of `process`."""
    def found():
        check(process.poll() is None, "morvane ended instead of showing its window")
        return session.run("xdotool", "search", "--all", "--onlyvisible", "--pid",
                           str(process.pid), "--name", "^Morvane$").split()
    return wait_for("the main window of the program", found)[0]


def stacked_above(session, window, other):
    """Whether the window manager stacks `window` above `other`."""
    line = session.run("xprop", "-root", "-notype", "_NET_CLIENT_LIST_STACKING")
    order = [int(word.strip(), 16) for word in line.partition("#")[2].split(",")
             if word.strip()]
    return int(window) in order and int(other) in order and \
        order.index(int(window)) > order.index(int(other))


def start_again(program):
    """Starts the program a second time on its list; it must end at once with status 0."""
    started = time.monotonic()
    process = program.start()
    status = wait_exit(process, "a second start on a held list")
    print(f"a second start on the held list ended with {status} after "
          f"{time.monotonic() - started:.2f} s")
    check(status == 0, f"a second start on a held list ended with status {status}")


def scenario_instances(session, argv):
    panel = start_tray(session)
    start_window_manager(session, panel)
    first = Program(session, argv[2], argv[3])
    first.set_up()
    first_process = first.start()
    first_window = window_of(session, first_process)
    beside = Program(session, argv[2], argv[3], folder=os.path.join(session.folder, "beside"))
    beside.set_up()
    beside_process = beside.start()
    beside_window = window_of(session, beside_process)
    check(first_process.poll() is None, "the first window ended when another list opened")
    wait_for("the newer window above the first",
             lambda: stacked_above(session, beside_window, first_window))

    start_again(first)
    wait_for("the first window brought above the other",
             lambda: stacked_above(session, first_window, beside_window))

    reduce_by_keys(session, first_window)
    wait_for("the first window to hide", lambda: not session.run(
        "xdotool", "search", "--all", "--onlyvisible", "--pid", str(first_process.pid),
        "--name", "^Morvane$").split())
    start_again(first)
    check(window_of(session, first_process) == first_window, "another window came back")
    wait_for("the first window out of the tray, in front",
             lambda: stacked_above(session, first_window, beside_window))

    first_process.kill()
    first_process.wait()
    runtime = os.path.join(session.folder, "runtime")
    check(len([name for name in os.listdir(runtime) if name.startswith("morvane-")]) == 2,
          "the killed window's socket is not left behind: nothing to prove")
    restarted = first.start()
    restarted_window = window_of(session, restarted)
    check(restarted.poll() is None, "the start after kill -9 did not keep its window")
    first.quit(restarted, restarted_window)
    beside.quit(beside_process, beside_window)


def run_tool(program, *arguments):
    return subprocess.run([program.mvntool, *arguments], capture_output=True, text=True,
                          timeout=30)


def scenario_mvntool(session, argv):
    program = Program(session, argv[2], argv[3])
    program.set_up()
    with open(program.database, "rb") as file:
        before = file.read()
    list_json = os.path.join(session.folder, "list.json")
    writers = [("check", "--save", program.database), ("write", list_json, program.database)]
    process = program.start()
    window = window_of(session, process)
    for writer in writers:
        result = run_tool(program, *writer)
        print(f"mvntool {writer[0]} on the held list: {result.returncode} {result.stderr!r}")
        check(result.returncode == HELD_STATUS,
              f"mvntool {writer[0]} ended with {result.returncode}, not {HELD_STATUS}")
        check(result.stderr == f"{program.database} is open in Morvane; close it first\n",
              f"mvntool {writer[0]} said {result.stderr!r}")
        check(result.stdout == "", f"mvntool {writer[0]} checked or printed: {result.stdout!r}")
        with open(program.database, "rb") as file:
            check(file.read() == before, f"mvntool {writer[0]} changed the held list")
    # In the language of the settings beside the list.
    with open(program.settings, "w", encoding="utf-8") as file:
        file.write("[Config]\nLanguage=FR\n")
    french = run_tool(program, "write", list_json, program.database)
    check(french.stderr == f"{program.database} est ouvert dans Morvane ; fermez-le d'abord\n",
          f"mvntool write said in French {french.stderr!r}")
    dump = run_tool(program, "dump", program.database)
    check(dump.returncode == 0 and json.loads(dump.stdout)["elements"],
          f"mvntool dump of the held list: {dump.returncode} {dump.stderr!r}")

    program.quit(process, window)
    for writer in writers:
        result = run_tool(program, *writer)
        check(result.returncode == 0,
              f"mvntool {writer[0]} after the window quit: {result.returncode} {result.stderr!r}")


def scenario_unreadable(session, argv):
    panel = start_tray(session)
    start_window_manager(session, panel)
    elements = [{"m_strDescription": f"Element {number:02}", "m_nCheckMode": 2, "m_nWhen": 2,
                 "m_strCopy": f"/nonexistent/report-{number:02}.txt"}
                for number in range(1, 32)]
    program = Program(session, argv[2], argv[3], elements=elements)
    damaged = program.good_database[:1830]
    with open(program.database, "wb") as file:
        file.write(damaged)
    readable = run_tool(program, "dump", program.database)
    check(readable.returncode == 1, "the cut list is read whole")
    kept_elements = json.loads(readable.stdout)["elements"]
    print(f"{len(kept_elements)} of 31 elements before the damage")

    process = program.start()
    box = session.one_window("ERROR")
    session.keys(box, "Return")
    window = window_of(session, process)
    focus_list(session, window)
    session.keys(window, "Home", *["Tab"] * TABS_FROM_LIST_TO_DELETE, "space")
    question = session.one_window("Delete")
    session.keys(question, "Return")
    wait_for("the question to close", lambda: not session.visible_windows("Delete"))
    focus_list(session, window)
    session.keys(window, *["Tab"] * TABS_FROM_LIST_TO_SAVE, "space")
    # The application's box, captioned with the program file's name.
    moved = session.one_window("morvane")
    session.keys(moved, "Return")

    kept = [name for name in os.listdir(session.folder)
            if re.fullmatch(r"morvane\.MVN\.unreadable-\d{8}-\d{6}", name)]
    check(len(kept) == 1, f"expected one kept file, found {kept}")
    with open(os.path.join(session.folder, kept[0]), "rb") as file:
        check(file.read() == damaged, "the kept file does not hold the damaged bytes")
    saved = run_tool(program, "dump", program.database)
    check(saved.returncode == 0, f"the saved list does not read: {saved.stderr!r}")
    check(json.loads(saved.stdout)["elements"] == kept_elements[1:],
          "the saved list is not the elements read before the damage but the deleted one")
    program.quit(process, window)


SCENARIOS = {"instances": (scenario_instances, NEEDED),
             "mvntool": (scenario_mvntool, ["Xvfb", "xdotool", "xwininfo"]),
             "unreadable": (scenario_unreadable, NEEDED)}


def main(argv):
    return run_scenario(argv, __doc__, SCENARIOS, TIME_LIMIT)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
