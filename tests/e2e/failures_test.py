#!/usr/bin/python3
"""End-to-end test of what the real morvane program says of failed checks and new versions
to a user away from its window, on its own X server with a notification area, a window
manager and a session bus of the test's own.

usage: failures_test.py notifications MORVANE MVNTOOL

notifications: the list holds two elements whose web server is down and a local copy with a
       new version, all checked on demand. Reduced before anything failed, the icon in the
       notification area is the plain one. "Check now !" on the first element while the
       window is shown raises its failure boxes and tells the notification service nothing;
       reduced again, the icon carries the warning mark. "Verify all now" from the icon's
       menu then tells the service of the new version and of the second element's first
       failure (the first element's streak goes on), each with the element's description
       and the head line, in the list's order.

Exit status: 0 passed, 1 failed, 77 skipped (a program that the scenario needs is missing).
"""

import json
import os
import socket
import sys
import time

from program_test import (Program, click_tray_menu_item, docked_icons, focus_list,
                          reduce_by_keys, start_tray, start_window_manager)
from xsession import check, run_scenario, wait_for

TIME_LIMIT = 90
SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "notification_server.py")
# The notice ignores input for its first half second.
INPUT_GUARD_SECONDS = 0.6
NOTICE = "New version !!"
ERROR_BOX = "ERROR"
# Tab order of the main window from the list: New, Modify, Delete, Check now.
TABS_FROM_LIST_TO_CHECK_NOW = 4


def closed_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def start_notification_service(session):
    """The test's session bus with the recording service; its address."""
    folder = os.path.join(session.folder, "bus")
    os.makedirs(folder)
    session.spawn(["/usr/bin/python3", SERVER, folder], log="notifications.log", x=False)
    wait_for("the notification service", lambda: os.path.exists(os.path.join(folder, "ready")))
    return "unix:path=" + os.path.join(folder, "bus"), os.path.join(folder, "notifications.jsonl")


def told(log):
    if not os.path.exists(log):
        return []
    with open(log, encoding="utf-8") as records:
        return [json.loads(line) for line in records]


def answer_windows(session, process, count):
    """Answers `count` failure boxes and notices with Enter, one after another."""
    for _ in range(count):
        def open_window():
            check(process.poll() is None, "morvane ended")
            return (session.visible_windows(NOTICE) or session.visible_windows(ERROR_BOX))
        window = wait_for("a box or the notice", open_window)[0]
        if session.visible_windows(NOTICE):
            time.sleep(INPUT_GUARD_SECONDS)
        session.keys(window, "Return")
        wait_for("the window to close", lambda: window not in (
            session.visible_windows(NOTICE) + session.visible_windows(ERROR_BOX)))


def icon_image(session, process, panel):
    def shown():
        check(process.poll() is None, "morvane ended while reduced")
        return docked_icons(session, panel)
    icon = wait_for("the icon in the notification area", shown)[0]
    # The icon is drawn once it is docked.
    time.sleep(0.5)
    return session.image(icon)


def quarters_differ(before, after):
    """Which of the four quarters (top left, top right, bottom left, bottom right) of two
    pictures of the same size differ."""
    width, height, first = before
    check((width, height) == after[:2], "the icon changed its size")
    second = after[2]
    differ = [False] * 4
    for y in range(height):
        for x in range(width):
            at = (y * width + x) * 3
            if first[at:at + 3] != second[at:at + 3]:
                differ[(2 if y >= height // 2 else 0) + (1 if x >= width // 2 else 0)] = True
    return differ


def scenario_notifications(session, argv):
    address, log = start_notification_service(session)
    panel = start_tray(session)
    start_window_manager(session, panel)
    down = f"http://127.0.0.1:{closed_port()}"
    copy = os.path.join(session.folder, "report.txt")
    with open(copy, "w", encoding="utf-8") as file:
        file.write("new")
    # Sorted by description, "Early" is the first row.
    elements = [
        {"m_strDescription": "Early", "m_strCopy": down + "/early.txt", "m_nCheckMode": 0,
         "m_nWhen": 2, "m_nAction": 0},
        {"m_strDescription": "Report", "m_strCopy": copy, "m_nCheckMode": 0,
         "m_timeReference": 0, "m_nWhen": 2, "m_nAction": 0},
        {"m_strDescription": "Site", "m_strCopy": down + "/site.txt", "m_nCheckMode": 0,
         "m_nWhen": 2, "m_nAction": 0},
    ]
    program = Program(session, argv[2], argv[3], elements=elements)
    program.set_up(settings="InternetProbeHost=\n")
    process = session.spawn([program.file], log="morvane.log",
                            env=session.env({"DBUS_SESSION_BUS_ADDRESS": address}))
    window = session.one_window("Morvane")

    reduce_by_keys(session, window)
    plain = icon_image(session, process, panel)
    click_tray_menu_item(session, process, panel, "Open Morvane")
    window = session.one_window("Morvane")

    print("Check now ! on the first row, the window shown")
    focus_list(session, window)
    # Home makes the first row the current one, space selects it.
    session.keys(window, "Home", "space", *["Tab"] * TABS_FROM_LIST_TO_CHECK_NOW, "space")
    answer_windows(session, process, 2)
    reduce_by_keys(session, window)
    wait_for("the window to hide", lambda: not session.visible_windows("Morvane"))
    differ = quarters_differ(plain, icon_image(session, process, panel))
    check(differ == [False, False, False, True],
          f"the warning mark is not alone in the icon's lower right quarter: {differ}")
    check(told(log) == [], f"told while the window was shown: {told(log)}")

    print("Verify all now, the window reduced")
    click_tray_menu_item(session, process, panel, "Verify all now")
    # Early's two boxes, Report's notice, Site's two boxes.
    answer_windows(session, process, 5)
    records = told(log)
    check([(r["summary"], r["body"]) for r in records] ==
          [("Report", "New file version found !"),
           ("Site", "Check failed: HTTP Send Request failed: 7")],
          f"the notification service was told: {records}")
    check(all(r["app_name"] == "Morvane" and
              r["hints"].get("desktop-entry") == "org.example.morvane" for r in records),
          f"not told as Morvane: {records}")
    click_tray_menu_item(session, process, panel, "Quit")
    check(process.wait(10) == 0, "morvane ended with an error")


SCENARIOS = {"notifications": (scenario_notifications,
                               ["Xvfb", "xdotool", "xwininfo", "xprop", "trayer", "openbox",
                                "import", "dbus-daemon"])}


def main(argv):
    try:
        import dbus  # noqa: F401  the notification service's own needs
        import gi  # noqa: F401
    except ImportError:
        print("skipped: python3-dbus or python3-gi not installed")
        return 77
    return run_scenario(argv, __doc__, SCENARIOS, TIME_LIMIT, lambda session, args: args)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
