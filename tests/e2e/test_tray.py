"""The tray icon registers with the panel: docked in an XEmbed tray (trayer), or as a
StatusNotifierItem when a watcher runs on the session bus, with its tooltip and menu."""

import os
import re
import sys
import unittest

from pastiq_e2e.apps import APPS_DIR
from pastiq_e2e.case import DesktopTestCase
from pastiq_e2e.screen import Screen
from pastiq_e2e.waiting import WaitTimeout, wait_until

IDLE_TOOLTIP = "Pastiq is running. Click for menu."
SESSION_TOOLTIP = "Pastiq — session active. Click for menu."
MENU_LABELS = [
    "Pastiq is running",
    "Input Access: Granted",
    "Open Input Access Help…",
    "Show Pastiq in File Manager",
    "Start Session",
    "Copy a list, then start a session",
    "After Each Paste",
    "After the Last Paste",
    "Show Count in Panel",
    "Open at Login",
    "About Pastiq",
    "Quit Pastiq",
]
# Debian's python3-gi belongs to the system interpreter.
SYSTEM_PYTHON = "/usr/bin/python3" if os.access("/usr/bin/python3", os.X_OK) else sys.executable
TREE_LINE = re.compile(r"^(?P<indent>\s*)(?P<id>0x[0-9a-f]+) (?P<rest>.*)$")


def window_tree(desktop):
    """(depth, id, description) for every window below the root, in xwininfo's order."""
    output = desktop.run(["xwininfo", "-root", "-tree"]).stdout
    windows = []
    for line in output.splitlines():
        match = TREE_LINE.match(line)
        if match:
            windows.append((len(match["indent"]), int(match["id"], 16), match["rest"]))
    return windows


def docked_icon(desktop):
    """The id of Pastiq's icon window when it sits inside trayer's panel, else None."""
    panel_depth = None
    for depth, window, description in window_tree(desktop):
        if panel_depth is not None and depth <= panel_depth:
            panel_depth = None
        if '("panel" "trayer")' in description:
            panel_depth = depth
        elif panel_depth is not None and '("pastiq" "Pastiq")' in description:
            return window
    return None


class XEmbedTrayTest(DesktopTestCase):
    start_pastiq = False
    with_tk = False

    def setUp(self):
        super().setUp()
        self.desktop.spawn(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
             "--width", "120", "--height", "24", "--SetDockType", "true"],
            log_name="trayer.log",
        )
        wait_until(lambda: any('("panel" "trayer")' in d for _, _, d in window_tree(self.desktop)),
                   timeout=10, what="trayer's panel")

    def test_icon_docks_in_the_tray_and_a_click_opens_the_menu(self):
        self.restart_pastiq()
        try:
            icon = wait_until(lambda: docked_icon(self.desktop), timeout=10,
                              what="Pastiq's icon inside trayer's panel")
        except WaitTimeout as failure:
            self.fail(f"{failure}\n{self.log_tail()}")

        screen = Screen(self.desktop)
        before = set(screen.windows(pid=self.pastiq.process.pid))
        self.desktop.run(["xdotool", "mousemove", "--window", str(icon), "11", "11", "click", "1"])
        menu = wait_until(lambda: set(screen.windows(pid=self.pastiq.process.pid)) - before,
                          timeout=5, what="the menu to open on a click")
        geometry = self.desktop.run(["xdotool", "getwindowgeometry", str(menu.pop())]).stdout
        width, height = map(int, re.search(r"Geometry: (\d+)x(\d+)", geometry).groups())
        self.assertGreater(width, 150, geometry)
        self.assertGreater(height, 200, geometry)
        self.desktop.run(["xdotool", "key", "Escape"])


class StatusNotifierTest(DesktopTestCase):
    start_pastiq = False
    with_tk = False

    def setUp(self):
        super().setUp()
        self.record = self.desktop.path("registered-items")
        self.desktop.spawn(
            [SYSTEM_PYTHON, os.path.join(APPS_DIR, "status_notifier_watcher.py"), self.record],
            log_name="watcher.log",
        )
        wait_until(self._watcher_owns_its_name, timeout=10, what="the StatusNotifierWatcher")

    def _watcher_owns_its_name(self):
        result = self.gdbus("org.freedesktop.DBus", "/org/freedesktop/DBus",
                            "org.freedesktop.DBus.NameHasOwner", "org.kde.StatusNotifierWatcher")
        return "true" in result.stdout

    def gdbus(self, destination, path, method, *args):
        return self.desktop.run(
            ["gdbus", "call", "--session", "--dest", destination, "--object-path", path,
             "--method", method, *args],
            check=False,
        )

    def registered_item(self):
        """The latest registration: (bus name, object path), or None."""
        try:
            with open(self.record, encoding="utf-8") as record:
                lines = record.read().splitlines()
        except FileNotFoundError:
            return None
        return tuple(lines[-1].split()) if lines else None

    def item_property(self, item, name):
        service, path = item
        return self.gdbus(service, path, "org.freedesktop.DBus.Properties.Get",
                          "org.kde.StatusNotifierItem", name).stdout

    def menu_labels(self, item):
        service, path = item
        menu_path = re.search(r"objectpath '([^']+)'", self.item_property(item, "Menu")).group(1)
        # A panel announces the opening first; Pastiq rebuilds the menu then.
        self.gdbus(service, menu_path, "com.canonical.dbusmenu.AboutToShow", "0")
        layout = self.gdbus(service, menu_path, "com.canonical.dbusmenu.GetLayout",
                            "0", "1", "['label']").stdout
        # Qt writes mnemonic-free labels; separators have none.
        return re.findall(r"'label': <'([^']*)'>", layout)

    def test_item_registers_with_tooltip_and_menu(self):
        self.restart_pastiq()
        try:
            item = wait_until(self.registered_item, timeout=10, what="Pastiq's item to register")
        except WaitTimeout as failure:
            self.fail(f"{failure}\n{self.log_tail()}")

        self.assertIn(IDLE_TOOLTIP, self.item_property(item, "ToolTip"))
        self.assertNotIn("@ay []", self.item_property(item, "IconPixmap"))
        self.assertEqual(self.menu_labels(item), MENU_LABELS)

        self.clipboard.set("alpha\nbeta\ngamma")
        self.pastiq.start_session()
        wait_until(lambda: SESSION_TOOLTIP in self.item_property(item, "ToolTip"), timeout=5,
                   what="the session tooltip")
        self.assertIn("1 of 3", self.item_property(item, "ToolTip"))
        labels = self.menu_labels(item)
        self.assertIn("End Session", labels)
        self.assertIn("Next: 1 of 3", labels)


if __name__ == "__main__":
    unittest.main(verbosity=2)
