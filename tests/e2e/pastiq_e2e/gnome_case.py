"""The base of the GNOME tests: one headless mutter desktop per class, one Pastiq per test.

As on sway, Pastiq reads the test's keys from a scripted keyboard (PASTIQ_TEST_KEYBOARD); the
keys it passes on reach mutter through the desktop's key sink (see mutter.py). The native GTK
target and wl-paste see the clipboard only through mutter's bridge from XWayland.
"""

from .clipboard import Clipboard
from .mutter import MutterDesktop
from .pastiq import Pastiq
from .wayland_apps import GtkText, WaylandClipboard
from .wayland_case import SwayTestCase
from .waiting import wait_until


class XWaylandClipboard(Clipboard):
    """The clipboard as X11 applications on XWayland see it (xclip), and as native ones see it
    through mutter's bridge (`native_text`, wl-paste). wl-copy and wl-paste find no data-control
    on mutter and take the keyboard focus with a surface of their own instead: mutter gives it
    to wl-copy only now and then (about one copy in ten was lost), and a key typed while it
    comes back from wl-paste may reach the view after the next item is offered. So the cases
    copy and check with xclip, and read through the bridge only where that is what they test."""

    def native_text(self):
        return WaylandClipboard.text(self)


class MutterGtkText(GtkText):
    """mutter gives a new window the focus and has no command to hand it back: focus() waits
    for GTK to report it."""

    def focus(self):
        wait_until(self.active, timeout=5, what=f"{self.TITLE!r} to have the focus")


class GnomeTestCase(SwayTestCase):
    desktop_type = MutterDesktop
    clipboard_type = XWaylandClipboard
    gtk_type = MutterGtkText

    def make_pastiq(self):
        return Pastiq(
            self.desktop,
            options=["--backend", "wayland"],
            extra_env={
                "PASTIQ_TEST_KEYBOARD": self.keyboard.path,
                "PASTIQ_TEST_KEY_SINK": self.desktop.key_sink,
            },
        )
