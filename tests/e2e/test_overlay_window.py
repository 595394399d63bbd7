"""The overlay panel shows with a session, hides without one, and never takes the focus."""

import os

from pastiq_e2e.case import DesktopTestCase, main
from pastiq_e2e.screen import Screen
from pastiq_e2e.waiting import wait_until

PANEL_SIZE = (300, 420)
MARGIN = 24


class OverlayWindowTest(DesktopTestCase):
    def panel(self):
        windows = Screen(self.desktop).windows("^Pastiq$", pid=self.pastiq.process.pid)
        return windows[0] if windows else None

    def test_panel_follows_the_session_and_leaves_the_focus_alone(self):
        screen = Screen(self.desktop)
        self.tk.focus()
        self.assertIsNone(self.panel(), "no panel without a session")
        self.start_list_session("alpha\nbeta\ngamma", "alpha")
        panel = wait_until(self.panel, what="the panel to show with the session")
        self.assertEqual(screen.active_window(), self.tk.window, "showing must not activate it")

        x, y, width, height = screen.geometry(panel)
        screen_width = self.desktop.size[0]
        self.assertEqual((width, height), PANEL_SIZE)
        self.assertEqual((screen_width - (x + width), y), (MARGIN, MARGIN))
        self.save_screenshot(screen, "panel-list.png")

        # A click on the panel's title strip leaves the application active and focused,
        # and Ctrl+V still pastes into it.
        screen.click_in(panel, width // 2, 8)
        self.assertEqual(screen.active_window(), self.tk.window, "the click activated the panel")
        self.assertEqual(
            screen.focused_window(), self.tk.window,
            f"the click moved the keyboard focus to window {screen.focused_window()}"
            f" (panel {panel}, Tk {self.tk.window})",
        )
        self.keyboard.key("ctrl+v")
        self.wait_tk_text("alpha")

        self.pastiq.end_session()
        wait_until(lambda: self.panel() is None, what="the panel to hide with the session")

    def save_screenshot(self, screen, name):
        folder = os.environ.get("PASTIQ_E2E_ARTIFACTS") or self.desktop.path("artifacts")
        os.makedirs(folder, exist_ok=True)
        screen.screenshot(os.path.join(folder, name))


if __name__ == "__main__":
    main()
