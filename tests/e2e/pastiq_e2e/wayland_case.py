"""The base of the Wayland tests: one headless sway desktop per class, one Pastiq per test.

Pastiq reads the test's keys from a scripted keyboard (a FIFO of input_event records named by
PASTIQ_TEST_KEYBOARD) in place of /dev/input, and passes on what it does not consume through
its virtual keyboard to the focused application: the native GTK target. The assertions and
session helpers are DesktopTestCase's; `self.tk` is the GTK target here.
"""

import json

from .case import DesktopTestCase, require_program
from .evdev_keys import ScriptedKeyboard
from .pastiq import Pastiq
from .sway import SwayDesktop
from .waiting import wait_until
from .wayland_apps import GtkText, WaylandClipboard


class SwayTestCase(DesktopTestCase):
    # What the class's desktop is made of; another compositor's cases name their own.
    desktop_type = SwayDesktop
    clipboard_type = WaylandClipboard
    gtk_type = GtkText

    @classmethod
    def setUpClass(cls):  # pylint: disable=invalid-name (unittest's name)
        require_program()
        cls.desktop = cls.desktop_type().start()
        cls.addClassCleanup(cls.desktop.stop)
        cls.keyboard = ScriptedKeyboard(cls.desktop.path("keyboard"))
        cls.addClassCleanup(cls.keyboard.close)
        cls.clipboard = cls.clipboard_type(cls.desktop)
        cls.tk = cls.gtk = cls.gtk_type(cls.desktop)

    def setUp(self):
        # Keys written while no Pastiq read them (a failed test's releases) must not reach
        # the next one.
        self.keyboard.drain()
        super().setUp()

    def restart_pastiq(self, **preferences):
        super().restart_pastiq(**preferences)
        # Pastiq falls back to running without a display when the compositor lacks what it
        # needs; the status line names the backend that runs.
        backend = json.loads(self.pastiq.cli("status").stdout)["backend"]
        self.assertEqual(backend, "wayland", f"the backend Pastiq runs\n{self.log_tail()}")
        self.make_pastiq_keyboard_current()

    def make_pastiq_keyboard_current(self):
        """A key through Pastiq makes its virtual keyboard the seat's current one. sway then
        re-sends the focus and the clipboard's offer to the view, and a paste GTK asks for in
        that moment may come back empty (seen about once in fifteen switches); with a real
        keyboard every key takes this path, so the switch happens before the test's keys."""
        self.keyboard.key("shift")
        wait_until(lambda: "Shift_L:" in self.gtk.keys(), timeout=5,
                   what="a key through Pastiq's virtual keyboard to reach the view")

    def make_pastiq(self):
        return Pastiq(
            self.desktop,
            options=["--backend", "wayland"],
            extra_env={"PASTIQ_TEST_KEYBOARD": self.keyboard.path},
        )
