#!/usr/bin/env python3
"""A desktop notification server on the private session bus: every notification is appended
to the file named by the first argument, as its summary and body on one line."""

import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NOTIFICATIONS = "org.freedesktop.Notifications"


class Server(dbus.service.Object):
    def __init__(self, bus, record_path):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.record_path = record_path

    @dbus.service.method(NOTIFICATIONS, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        with open(self.record_path, "a", encoding="utf-8") as record:
            record.write(f"{summary}: {body}\n")
        return 1


if __name__ == "__main__":
    DBusGMainLoop(set_as_default=True)
    SESSION_BUS = dbus.SessionBus()
    # Both are kept for the life of the loop: the name goes when its object is collected.
    SERVING = (Server(SESSION_BUS, sys.argv[1]), dbus.service.BusName(NOTIFICATIONS, SESSION_BUS))
    GLib.MainLoop().run()
