#!/usr/bin/env python3
"""A StatusNotifierWatcher with a registered host, as a desktop panel provides, on the private
session bus. Every item that registers is appended to the file named by the first argument,
one bus name and object path per line."""

import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
PROPERTIES = (
    '<property name="RegisteredStatusNotifierItems" type="as" access="read"/>'
    '<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>'
    '<property name="ProtocolVersion" type="i" access="read"/>'
)


class Watcher(dbus.service.Object):
    def __init__(self, bus, record_path):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []
        self.record_path = record_path

    @dbus.service.method(WATCHER, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # Items pass either their bus name or their object path.
        name, path = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
        self.items.append(f"{name}{path}")
        with open(self.record_path, "a", encoding="utf-8") as record:
            record.write(f"{name} {path}\n")
        self.StatusNotifierItemRegistered(f"{name}{path}")

    @dbus.service.method(WATCHER, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    # Qt reads the watcher's properties through an interface built from introspection, so the
    # properties must be declared there; dbus-python only lists methods and signals.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s",
                         path_keyword="object_path", connection_keyword="connection")
    def Introspect(self, object_path, connection):
        xml = super().Introspect(object_path, connection)
        return xml.replace(f'<interface name="{WATCHER}">', f'<interface name="{WATCHER}">' + PROPERTIES)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return self.GetAll(interface)[prop]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus, sys.argv[1])
    name = dbus.service.BusName(WATCHER, bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del watcher, name


if __name__ == "__main__":
    main()
