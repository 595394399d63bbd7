"""Without a tray (no XEmbed tray, no StatusNotifierWatcher) Pastiq shows a launcher panel in
the overlay's corner that opens the tray's menu without taking the focus, and hands over to a
tray that starts later. The desktop entry's actions drive a running Pastiq."""

import configparser
import os
import shlex
import subprocess
import unittest

from pastiq_e2e.apps import APPS_DIR
from pastiq_e2e.case import DesktopTestCase
from pastiq_e2e.pastiq import REPO_ROOT, pastiq_binary
from pastiq_e2e.screen import Screen
from pastiq_e2e.waiting import wait_until
from test_tray import SYSTEM_PYTHON, docked_icon

DESKTOP_ENTRY = os.path.join(REPO_ROOT, "data", "io.github.pastiq.Pastiq.desktop")
SCREEN_MARGIN = 24


def icon_in_tray(desktop):
    try:
        return docked_icon(desktop)
    except subprocess.CalledProcessError:  # a window went away while xwininfo listed it
        return None


def overlaps(first, second):
    (ax, ay, aw, ah), (bx, by, bw, bh) = first, second
    return ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah


class LauncherTest(DesktopTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.notifications = cls.desktop.path("notifications")
        cls.desktop.spawn([SYSTEM_PYTHON, os.path.join(APPS_DIR, "notification_server.py"),
                           cls.notifications], log_name="notifications.log")
        wait_until(lambda: "true" in cls.desktop.run(
            ["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
             "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.NameHasOwner",
             "org.freedesktop.Notifications"]).stdout, timeout=10, what="the notification server")

    def setUp(self):
        super().setUp()
        self.screen = Screen(self.desktop)

    def pastiq_windows(self):
        return set(self.screen.windows(pid=self.pastiq.process.pid))

    def launcher(self):
        windows = self.screen.windows(name="^Pastiq Launcher$", pid=self.pastiq.process.pid)
        return windows[0] if len(windows) == 1 else None

    def test_launcher_opens_the_menu_without_focus_and_yields_to_a_tray(self):
        launcher = wait_until(self.launcher, timeout=10, what="the launcher panel")
        x, y, width, _ = self.screen.geometry(launcher)
        self.assertEqual((x + width, y), (1280 - SCREEN_MARGIN, SCREEN_MARGIN))
        with open(self.notifications, encoding="utf-8") as record:
            self.assertIn("Pastiq is running: ", record.read())

        # Dragged onto where the overlay will show.
        steps = [["mousemove", "--sync", str(x + 10 - 20 * step), str(y + 10 + 7 * step)]
                 for step in range(11)]
        self.desktop.run(["xdotool", *steps[0], "mousedown", "1",
                          *sum(steps[1:], []), "sleep", "0.2", "mouseup", "1"])
        wait_until(lambda: self.screen.geometry(launcher)[0] < x - 100, timeout=5,
                   what="the launcher to follow the drag")
        dragged = self.screen.geometry(launcher)

        # The menu's Start Session, reached by keys, starts from the clipboard.
        self.clipboard.set("alpha\nbeta\ngamma")
        self.keyboard.activate(self.tk.window)
        before = self.pastiq_windows()
        self.screen.click_in(launcher, 10, 10)
        wait_until(lambda: self.pastiq_windows() - before, timeout=5, what="the menu to open")
        self.assertEqual(self.screen.active_window(), self.tk.window)
        for key in ["Down", "Down", "Down", "Return"]:
            self.desktop.run(["xdotool", "key", key])
        self.pastiq.wait_for_status(lambda status: "count" in status, what="a session")

        # The launcher steps aside from the overlay; the Tk window keeps the keyboard.
        overlay = wait_until(lambda: self.screen.windows(name="^Pastiq$"), timeout=5,
                             what="the overlay")[0]
        wait_until(lambda: not overlaps(self.screen.geometry(launcher),
                                        self.screen.geometry(overlay)),
                   timeout=5, what="the launcher to leave the overlay's place")
        self.assertEqual(self.screen.active_window(), self.tk.window)
        self.assertEqual(self.screen.focused_window(), self.tk.window)
        self.pastiq.end_session()
        wait_until(lambda: self.screen.geometry(launcher) == dragged, timeout=5,
                   what="the launcher back where it was dragged")

        trayer = self.desktop.spawn(
            ["trayer", "--edge", "bottom", "--align", "left", "--widthtype", "pixel",
             "--width", "120", "--height", "24"], log_name="trayer.log")
        wait_until(lambda: icon_in_tray(self.desktop), timeout=10, what="the icon in the tray")
        wait_until(lambda: not self.screen.is_viewable(launcher), timeout=5,
                   what="the launcher to hide")
        trayer.terminate()
        trayer.wait(timeout=5)
        wait_until(lambda: self.screen.is_viewable(launcher), timeout=5,
                   what="the launcher to come back")

    def test_desktop_entry_actions_validate_and_drive_pastiq(self):
        self.desktop.run(["desktop-file-validate", DESKTOP_ENTRY])
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(DESKTOP_ENTRY, encoding="utf-8")
        actions = {entry[f"Desktop Action {name}"]["Name"]: entry[f"Desktop Action {name}"]["Exec"]
                   for name in entry["Desktop Entry"]["Actions"].strip(";").split(";")}
        self.assertEqual(list(actions), ["Start Session", "End Session", "Quit Pastiq"])

        def run(action):
            program, *args = shlex.split(actions[action])
            self.assertEqual(program, "pastiq")
            self.desktop.run([pastiq_binary(), *args])

        self.clipboard.set("one\ntwo")
        run("Start Session")
        self.pastiq.wait_for_status(lambda status: "count" in status, what="a session")
        run("End Session")
        self.pastiq.wait_for_status(lambda status: status is None, what="no session")
        run("Quit Pastiq")
        self.assertEqual(self.pastiq.process.wait(timeout=5), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
