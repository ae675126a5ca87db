#!/usr/bin/python3
"""A session bus of the test's own with a notification service on it that records what it
is told.

usage: notification_server.py FOLDER

Starts dbus-daemon as a session bus listening on FOLDER/bus, with a configuration of its
own that names no service folder, so that nothing of this machine is ever started on it.
Then owns org.freedesktop.Notifications and appends every Notify call to
FOLDER/notifications.jsonl as one JSON object (app_name, app_icon, summary, body, hints).
Creates FOLDER/ready once the name is owned. The bus ends with this process.
"""

import ctypes
import json
import os
import signal
import subprocess
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

INTERFACE = "org.freedesktop.Notifications"
CONFIGURATION = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def _die_with_parent():
    # PR_SET_PDEATHSIG: the bus ends when this server does, however it ends.
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log = log
        self.count = 0

    @dbus.service.method(INTERFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, _replaces_id, app_icon, summary, body, _actions, hints,
               _timeout):
        record = {"app_name": str(app_name), "app_icon": str(app_icon),
                  "summary": str(summary), "body": str(body),
                  "hints": {str(key): str(value) for key, value in hints.items()}}
        with open(self.log, "a", encoding="utf-8") as out:
            out.write(json.dumps(record, ensure_ascii=False) + "\n")
        self.count += 1
        return self.count

    @dbus.service.method(INTERFACE, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body"]

    @dbus.service.method(INTERFACE, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("recorder", "morvane tests", "1", "1.2")

    @dbus.service.method(INTERFACE, in_signature="u", out_signature="")
    def CloseNotification(self, _identifier):
        pass


def main(folder):
    socket = os.path.join(folder, "bus")
    configuration = os.path.join(folder, "bus.conf")
    with open(configuration, "w", encoding="utf-8") as out:
        out.write(CONFIGURATION.format(socket=socket))
    daemon = subprocess.Popen(["dbus-daemon", f"--config-file={configuration}", "--nofork",
                               "--print-address"], stdout=subprocess.PIPE,
                              preexec_fn=_die_with_parent)
    address = daemon.stdout.readline().decode().strip()
    if not address:
        sys.exit("dbus-daemon did not start")
    DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    name = dbus.service.BusName(INTERFACE, bus)
    service = Notifications(bus, os.path.join(folder, "notifications.jsonl"))
    loop = GLib.MainLoop()
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, loop.quit)
    open(os.path.join(folder, "ready"), "w", encoding="utf-8").close()
    try:
        loop.run()
    finally:
        del name, service
        daemon.terminate()
        daemon.wait()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
