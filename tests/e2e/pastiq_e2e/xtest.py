"""Keys sent through XTEST straight from the test's own process, with the time each left.

xdotool starts a process per call, so its keys leave at times the test does not know; a test
that measures how late a key arrives sends it from here instead, on CLOCK_MONOTONIC like the
Tk application's key log.
"""

import ctypes
import ctypes.util
import time

XK_CONTROL_L = 0xFFE3
XK_V = 0x0076


class XTestKeyboard:
    """Sends key events through XTEST on its own display connection."""

    def __init__(self, display_name):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XStringToKeysym.restype = ctypes.c_ulong
        self.x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [
            ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong,
        ]
        self.display = self.x11.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display_name}")
        self.control = self.x11.XKeysymToKeycode(self.display, XK_CONTROL_L)
        self.v = self.x11.XKeysymToKeycode(self.display, XK_V)

    def ctrl_v(self):
        """Sends Ctrl+V and returns the monotonic time at which the V press left."""
        return self.tap(self.v, control=True)

    def tap_name(self, keysym_name, control=False):
        """Taps the key of an X keysym name ("x", "v"); returns the time its press left."""
        keysym = self.x11.XStringToKeysym(keysym_name.encode())
        return self.tap(self.x11.XKeysymToKeycode(self.display, keysym), control)

    def tap(self, keycode, control=False):
        if control:
            self._key(self.control, True)
            self.x11.XSync(self.display, 0)
        sent = time.monotonic_ns()
        self._key(keycode, True)
        self.x11.XFlush(self.display)
        self._key(keycode, False)
        if control:
            self._key(self.control, False)
        self.x11.XFlush(self.display)
        return sent

    def close(self):
        self.x11.XCloseDisplay(self.display)

    def _key(self, keycode, down):
        self.xtst.XTestFakeKeyEvent(self.display, keycode, 1 if down else 0, 0)
