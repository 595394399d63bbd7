#!/usr/bin/python3
"""The keyboard of a headless mutter under test, through mutter's own remote-desktop session.

Headless mutter has no keyboard, so no client gets the focus or the clipboard until one exists;
it has no virtual-keyboard protocol either, and the test machine has no /dev/uinput. This
program opens a session on org.gnome.Mutter.RemoteDesktop (which lives as long as this
program's bus connection), presses Shift once so the seat has a keyboard, then listens on the
Unix socket SOCKET: every connection's stream of kernel input_event records (what Pastiq writes
in place of /dev/uinput, see PASTIQ_TEST_KEY_SINK) is handed to mutter key by key. Prints
"ready" once the socket listens.

Usage: mutter_keyboard.py SOCKET
"""

import os
import socket
import struct
import sys
import threading

from gi.repository import Gio, GLib

BUS_NAME = "org.gnome.Mutter.RemoteDesktop"
INPUT_EVENT = struct.Struct("qqHHi")  # time (s, µs), type, code, value on 64-bit Linux
EV_KEY = 1
KEYSYM_SHIFT_L = 0xFFE1


def open_session(bus):
    desktop = Gio.DBusProxy.new_sync(bus, 0, None, BUS_NAME, "/org/gnome/Mutter/RemoteDesktop",
                                     BUS_NAME, None)
    path = desktop.call_sync("CreateSession", None, 0, -1, None).unpack()[0]
    session = Gio.DBusProxy.new_sync(bus, 0, None, BUS_NAME, path, BUS_NAME + ".Session", None)
    session.call_sync("Start", None, 0, -1, None)
    return session


def relay(session, connection, lock):
    """Hands each key record of one connection to mutter, in order, until it closes."""
    pending = b""
    while chunk := connection.recv(4096):
        pending += chunk
        while len(pending) >= INPUT_EVENT.size:
            _, _, kind, code, value = INPUT_EVENT.unpack_from(pending)
            pending = pending[INPUT_EVENT.size:]
            if kind == EV_KEY and value in (0, 1):
                with lock:
                    session.call_sync("NotifyKeyboardKeycode",
                                      GLib.Variant("(ub)", (code, value == 1)), 0, -1, None)
    connection.close()


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    session = open_session(bus)
    for pressed in (True, False):
        session.call_sync("NotifyKeyboardKeysym", GLib.Variant("(ub)", (KEYSYM_SHIFT_L, pressed)),
                          0, -1, None)
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    if os.path.exists(sys.argv[1]):
        os.unlink(sys.argv[1])
    listener.bind(sys.argv[1])
    listener.listen()
    print("ready", flush=True)
    lock = threading.Lock()
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=relay, args=(session, connection, lock), daemon=True).start()


if __name__ == "__main__":
    main()
