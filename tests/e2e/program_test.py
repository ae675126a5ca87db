#!/usr/bin/python3
"""End-to-end tests of the real morvane program on its own X server.

usage: program_test.py start|tray MORVANE MVNTOOL

start: the program opens its window with a list beside it and quits on Escape; a damaged
       list brings up the error box in the language of the settings or of the locale.
tray:  with a notification area (trayer), Reduce hides the window into an icon there and a
       double click on the icon brings the window back.
tray_menu: with a window manager (openbox) and the notification area, each item of the
       icon's menu is clicked with the mouse: Open brings the window back (twice, with a
       Reduce between), Verify all and Help (without a manual) keep the program running,
       Quit ends it.

Each scenario runs a copy of the program in a temporary folder, with the list that
`mvntool write` makes beside it. Exit status: 0 passed, 1 failed, 77 skipped (a program
that the scenario needs is not installed).
"""

import json
import os
import shutil
import subprocess
import sys

from xsession import Failure, check, run_scenario, wait_exit, wait_for

TIME_LIMIT = 60
# On-demand elements: the start-up checks nothing, so no notice comes up.
ELEMENTS = [{"m_strDescription": "Project report", "m_strCopy": "/nonexistent/report.txt",
             "m_nCheckMode": 2, "m_nWhen": 2}]
QUIT_KEY = "Escape"
# Tab order of the main window: list, New, Modify, Delete, Check now, Save, Quit, Reduce.
TABS_FROM_LIST_TO_REDUCE = 7


class Program:
    """A copy of morvane in `folder` (by default the session's), with its list and settings
    beside it."""

    def __init__(self, session, morvane, mvntool, elements=None, folder=None):
        self.session = session
        self.mvntool = mvntool
        folder = folder or session.folder
        os.makedirs(folder, exist_ok=True)
        self.file = os.path.join(folder, "morvane")
        shutil.copy(morvane, self.file)
        self.database = os.path.join(folder, "morvane.MVN")
        self.settings = os.path.join(folder, "morvane.INI")
        list_json = os.path.join(folder, "list.json")
        with open(list_json, "w", encoding="utf-8") as out:
            json.dump({"elements": ELEMENTS if elements is None else elements}, out)
        subprocess.run([mvntool, "write", list_json, self.database], check=True, timeout=30)
        # An empty list is written as no file at all.
        self.good_database = None
        if os.path.exists(self.database):
            with open(self.database, "rb") as file:
                self.good_database = file.read()

    def set_up(self, damaged=False, language=None, settings=""):
        if self.good_database is None:
            if os.path.exists(self.database):
                os.remove(self.database)
        else:
            with open(self.database, "wb") as file:
                # A list cut in the middle of its first element.
                file.write(self.good_database[: len(self.good_database) // 2] if damaged
                           else self.good_database)
        if os.path.exists(self.settings):
            os.remove(self.settings)
        if language is not None:
            settings += f"Language={language}\n"
        if settings:
            with open(self.settings, "w", encoding="utf-8") as file:
                file.write(f"[Config]\n{settings}")

    def start(self, lang="C"):
        return self.session.spawn([self.file], log="morvane.log",
                                  env=self.session.env({"LANG": lang}))

    def quit(self, process, window):
        self.session.keys(window, QUIT_KEY)
        check(wait_exit(process, "morvane after Escape") == 0, "morvane ended with an error")


def scenario_start(session, program):
    program.set_up()
    process = program.start()
    window = session.one_window("Morvane")
    check(not session.visible_windows("ERROR"), "an error box came up with a sound list")
    program.quit(process, window)

    # Settings win over the locale; without them the locale chooses.
    cases = [("C", None, "ERROR"), ("C", "FR", "ERREUR"),
             ("fr_FR.UTF-8", "US", "ERROR"), ("fr_FR.UTF-8", None, "ERREUR")]
    for lang, language, caption in cases:
        print(f"damaged list, LANG={lang}, Language={language}: expecting {caption}")
        program.set_up(damaged=True, language=language)
        process = program.start(lang)
        box = session.one_window(caption)
        session.keys(box, "Return")
        # The window opens whatever the load gave.
        window = session.one_window("Morvane")
        wait_for("the error box to close", lambda: not session.visible_windows(caption))
        program.quit(process, window)


def docked_icons(session, panel):
    """Windows of morvane docked in the tray's panel."""
    return [line.split()[0] for line in session.tree(panel).splitlines()
            if '("morvane" "morvane")' in line]


def scenario_tray(session, program):
    session.spawn(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                   "--width", "200", "--heighttype", "pixel", "--height", "32"], log="trayer.log")
    wait_for("the notification area", lambda: session.selection_owned("_NET_SYSTEM_TRAY_S0"))
    panel = session.one_window("panel")
    program.set_up()
    process = program.start()
    window = session.one_window("Morvane")
    check(not docked_icons(session, panel), "the icon is shown while the window is")

    reduce_by_keys(session, window)

    def icon_shown():
        check(process.poll() is None, "morvane ended when it was reduced")
        return docked_icons(session, panel)

    icon = wait_for("the icon in the notification area", icon_shown)
    check(len(icon) == 1, f"expected one icon, found {icon}")
    wait_for("the window to hide", lambda: not session.visible_windows("Morvane"))

    width, height = session.size(icon[0])
    session.run("xdotool", "mousemove", "--window", icon[0], str(width // 2), str(height // 2),
                "click", "--repeat", "2", "--delay", "60", "1")
    window = session.one_window("Morvane")
    wait_for("the icon to go", lambda: not docked_icons(session, panel))
    program.quit(process, window)


def start_tray(session):
    session.spawn(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                   "--width", "200", "--heighttype", "pixel", "--height", "32"], log="trayer.log")
    wait_for("the notification area", lambda: session.selection_owned("_NET_SYSTEM_TRAY_S0"))
    return session.one_window("panel")


def focus_list(session, window):
    """Gives the list the focus by a click in its empty part, the start of the Tab order."""
    width, height = session.size(window)
    session.run("xdotool", "windowfocus", "--sync", window)
    session.click(window, width // 2, height // 2)


def reduce_by_keys(session, window):
    focus_list(session, window)
    session.keys(window, *["Tab"] * TABS_FROM_LIST_TO_REDUCE, "space")


MENU_ITEMS = ["Open Morvane", "Verify all now", "Help", "Quit"]


def click_tray_menu_item(session, process, panel, item):
    """Right-clicks the icon, then clicks `item` of the menu that opens, with the mouse."""
    def icon_shown():
        check(process.poll() is None, "morvane ended while reduced")
        return docked_icons(session, panel)

    icon = wait_for("the icon in the notification area", icon_shown)[0]
    width, height = session.size(icon)
    # An icon just docked may not take the first click yet: click again, a bounded number
    # of times, until the menu is there.
    menu = None
    for _ in range(5):
        session.run("xdotool", "mousemove", "--window", icon, str(width // 2),
                    str(height // 2), "click", "3")
        try:
            menu = wait_for("the tray menu", session.popup_menu, timeout=3.0)
            break
        except Failure:
            check(process.poll() is None, "morvane ended at a right click on its icon")
    check(menu, "no tray menu after five right clicks on the icon")
    left, top, menu_width, menu_height = menu
    # Four items of one height, no separators, a frame of a few pixels around them.
    row = menu_height / len(MENU_ITEMS)
    y = top + int(row * (MENU_ITEMS.index(item) + 0.5))
    session.run("xdotool", "mousemove", str(left + menu_width // 2), str(y))
    session.run("xdotool", "click", "1")
    wait_for("the tray menu to close", lambda: not session.popup_menu())


def start_window_manager(session, panel):
    """Starts openbox over the running tray and waits until it manages the tray's panel:
    only then is it past its start-up, where a window mapped a moment too early can be
    left neither mapped nor managed."""
    session.spawn(["openbox", "--sm-disable"], log="openbox.log")
    wait_for("the window manager", lambda: session.selection_owned("WM_S0"))
    wait_for("the window manager to manage the tray",
             lambda: int(panel) in session.managed_windows())


def scenario_tray_menu(session, program):
    panel = start_tray(session)
    start_window_manager(session, panel)
    program.set_up()
    process = program.start()
    window = session.one_window("Morvane")
    for _ in range(2):
        reduce_by_keys(session, window)
        wait_for("the window to hide", lambda: not session.visible_windows("Morvane"))
        click_tray_menu_item(session, process, panel, "Open Morvane")
        window = session.one_window("Morvane")
        check(process.poll() is None, "morvane ended after Open in the tray menu")
        wait_for("the icon to go", lambda: not docked_icons(session, panel))

    reduce_by_keys(session, window)
    wait_for("the window to hide", lambda: not session.visible_windows("Morvane"))
    click_tray_menu_item(session, process, panel, "Verify all now")
    check(process.poll() is None, "morvane ended after Verify all now")
    # The copy of the program has no manual beside it: Help fails silently.
    click_tray_menu_item(session, process, panel, "Help")
    check(process.poll() is None, "morvane ended after Help")
    click_tray_menu_item(session, process, panel, "Quit")
    check(wait_exit(process, "morvane after Quit in the tray menu") == 0,
          "morvane ended with an error after Quit")


SCENARIOS = {"start": (scenario_start, ["Xvfb", "xdotool", "xwininfo"]),
             "tray": (scenario_tray, ["Xvfb", "xdotool", "xwininfo", "trayer"]),
             "tray_menu": (scenario_tray_menu,
                           ["Xvfb", "xdotool", "xwininfo", "xprop", "trayer", "openbox"])}


def main(argv):
    return run_scenario(argv, __doc__, SCENARIOS, TIME_LIMIT,
                        lambda session, args: Program(session, args[2], args[3]))


if __name__ == "__main__":
    sys.exit(main(sys.argv))
