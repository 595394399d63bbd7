"""The overlay panel in a real X11 desktop (Xvfb and openbox), driven with xdotool.

overlay_demo shows the panel for a sample session and reports the rows' places on screen and
every change of the session; the Tk text of the end-to-end harness is the application the
user types into, which must keep the keyboard through clicks on the panel.

Screenshots of the panel are saved to $OVERLAY_ARTIFACTS (default: artifacts/ here).
"""

import os
import queue
import struct
import subprocess
import threading
import unittest

from pastiq_e2e.apps import TkText
from pastiq_e2e.case import DesktopTestCase
from pastiq_e2e.desktop import Desktop
from pastiq_e2e.keys import Keyboard
from pastiq_e2e.waiting import wait_until

HERE = os.path.dirname(os.path.abspath(__file__))

DEMO = os.environ.get("OVERLAY_DEMO", os.path.join(HERE, "..", "..", "build", "overlay_demo"))
ARTIFACTS = os.environ.get("OVERLAY_ARTIFACTS", os.path.join(HERE, "artifacts"))
PANEL_NAME = "^Pastiq$"


class Demo:
    """One overlay_demo process; its report lines are collected as they arrive."""

    def __init__(self, desktop, kind):
        self.process = desktop.spawn([DEMO, kind, "--report"], log_name=f"demo-{kind}.log",
                                     stdout=subprocess.PIPE)
        self.lines = []
        self._incoming = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.rows = {}
        wait_until(lambda: self._take() and len(self.rows) >= 5, timeout=10,
                   what="the demo to report its rows")

    def _read(self):
        for raw in self.process.stdout:
            self._incoming.put(raw.decode("utf-8").rstrip("\n"))

    def _take(self):
        while not self._incoming.empty():
            line = self._incoming.get()
            self.lines.append(line)
            words = line.split()
            if words[0] == "row":
                self.rows[int(words[1])] = (int(words[2]), int(words[3]))
        return True

    def wait_line(self, line, timeout=5):
        wait_until(lambda: self._take() and line in self.lines, timeout=timeout,
                   what=f"demo line {line!r} (seen: {self.lines[-8:]})")

    def seen(self, prefix):
        self._take()
        return [line for line in self.lines if line.startswith(prefix)]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=5)


class OverlayPanelTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.access(DEMO, os.X_OK):
            raise unittest.SkipTest(f"no overlay_demo at {DEMO} (set OVERLAY_DEMO)")
        cls.desktop = Desktop().start()
        cls.addClassCleanup(cls.desktop.stop)
        cls.keyboard = Keyboard(cls.desktop)
        cls.tk = TkText(cls.desktop, cls.keyboard)

    def setUp(self):
        self.tk.set_text("")
        self.tk.focus()
        self.wait_active(self.tk.window, "the Tk window to be active")

    def start_demo(self, kind="list"):
        demo = Demo(self.desktop, kind)
        self.addCleanup(demo.stop)
        return demo

    # ------------------------------------------------------------------------------ X11 reads
    def xdotool(self, *args):
        return self.desktop.run(["xdotool", *args], check=False).stdout.strip()

    def active_window(self):
        answer = self.xdotool("getactivewindow")
        return int(answer) if answer.isdigit() else None

    def panel_window(self):
        return self.keyboard.find_window(PANEL_NAME)

    def wait_active(self, window, what):
        wait_until(lambda: self.active_window() == window, timeout=5,
                   what=f"{what} (active: {self.active_window()}, wanted {window})")

    def click(self, point, repeat=1):
        x, y = point
        # Not --sync: that waits forever when the pointer is already there.
        self.xdotool("mousemove", str(x), str(y))
        self.xdotool("click", "--repeat", str(repeat), "--delay", "60", "1")

    # ---------------------------------------------------------------------------------- tests
    def test_panel_floats_on_every_desktop_out_of_taskbar_without_taking_focus(self):
        self.start_demo()
        panel = wait_until(self.panel_window, timeout=5, what="the panel window")
        self.assertEqual(self.active_window(), self.tk.window, "showing the panel kept focus")
        props = self.desktop.run(["xprop", "-id", str(panel)]).stdout
        for state in ("ABOVE", "SKIP_TASKBAR", "SKIP_PAGER"):
            self.assertIn(f"_NET_WM_STATE_{state}", props)
        # Openbox keeps "on every desktop" as the desktop number, not as the STICKY state.
        self.assertIn("_NET_WM_DESKTOP(CARDINAL) = 4294967295", props)
        self.assertIn("Client accepts input or input focus: False", props)
        geometry = self.desktop.run(["xdotool", "getwindowgeometry", str(panel)]).stdout
        self.assertIn("Position: 956,24", geometry)  # 1280 - 300 - 24; 24 from the top
        self.assertIn("Geometry: 300x420", geometry)

    def test_click_moves_the_cursor_while_the_application_keeps_focus(self):
        demo = self.start_demo()
        self.click(demo.rows[5])
        demo.wait_line("cursor 5")
        self.assertEqual(self.active_window(), self.tk.window)
        self.keyboard.type("still here")
        wait_until(lambda: self.tk.text() == "still here", timeout=5,
                   what="typing to reach the Tk text after the click")

    def edit_row(self, row, typed, ending_key):
        """Double-clicks `row`, waits for the panel to take the keyboard, types and ends."""
        demo = self.start_demo()
        panel = wait_until(self.panel_window, timeout=5, what="the panel window")
        self.click(demo.rows[row], repeat=2)
        self.wait_active(panel, "the panel to take the keyboard for the edit")
        self.keyboard.type(typed)
        self.keyboard.key(ending_key)
        return demo

    def test_double_click_edits_and_return_gives_the_focus_back(self):
        demo = self.edit_row(5, " edited", "Return")
        demo.wait_line('text 5 ["Baker Street 221b edited"]')
        self.wait_active(self.tk.window, "the keyboard to go back to the Tk window")
        self.assertEqual(demo.seen("cursor"), [], "a double click never jumps")
        self.assertEqual(self.tk.text(), "", "the edit's keys never reached the application")
        self.keyboard.type("back")
        wait_until(lambda: self.tk.text() == "back", timeout=5, what="typing into Tk again")

    def test_escape_cancels_and_gives_the_focus_back(self):
        demo = self.edit_row(4, "typed", "Escape")
        self.wait_active(self.tk.window, "the keyboard to go back to the Tk window")
        self.assertEqual(demo.seen("text"), [], "Escape never commits")

    def panel_position(self, panel):
        geometry = self.desktop.run(["xdotool", "getwindowgeometry", str(panel)]).stdout
        x, y = geometry.split("Position: ")[1].split()[0].split(",")
        return int(x), int(y)

    def test_background_click_keeps_the_keys_and_a_drag_moves_the_panel(self):
        self.start_demo()
        panel = wait_until(self.panel_window, timeout=5, what="the panel window")
        x, y = self.panel_position(panel)
        header = (x + 150, y + 40)  # the header's empty middle: the panel's background
        self.click(header)
        self.keyboard.type("keys")
        wait_until(lambda: self.tk.text() == "keys", timeout=5,
                   what="typing to reach the Tk text after a click on the panel")
        self.assertEqual(self.active_window(), self.tk.window)

        self.xdotool("mousemove", str(header[0]), str(header[1]))
        self.xdotool("mousedown", "1")
        for step in range(1, 11):
            self.xdotool("mousemove", str(header[0] - 10 * step), str(header[1] + 5 * step))
        self.xdotool("mouseup", "1")
        wait_until(lambda: self.panel_position(panel) != (x, y), timeout=5,
                   what="the dragged panel to move")
        self.keyboard.type("!")
        wait_until(lambda: self.tk.text() == "keys!", timeout=5,
                   what="typing to reach the Tk text after the drag")

    def test_screenshots(self):
        os.makedirs(ARTIFACTS, exist_ok=True)
        for kind in ("list", "grid", "empty", "editing"):
            path = os.path.join(ARTIFACTS, f"overlay-{kind}.png")
            if os.path.exists(path):
                os.remove(path)
            result = self.desktop.run([DEMO, kind, "--screenshot", path], timeout=20)
            self.assertIn(f"saved {path}", result.stdout)
            with open(path, "rb") as png:
                header = png.read(24)
            width, height = struct.unpack(">II", header[16:24])
            self.assertEqual((width, height), (300, 420), kind)
            self.assertGreater(os.path.getsize(path), 4000, f"{kind} screenshot looks blank")


class OverlayInPastiqTest(DesktopTestCase):
    """The panel as Pastiq itself shows it for a session."""

    def panel_window(self):
        return self.keyboard.find_window(PANEL_NAME)

    def test_panel_shows_with_a_session_and_hides_when_it_ends(self):
        self.tk.focus()
        self.start_list_session("a\nb\nc", "a")
        panel = wait_until(self.panel_window, timeout=5, what="the panel to appear")
        self.assertNotEqual(panel, None)
        self.pastiq.end_session()
        wait_until(lambda: self.panel_window() is None, timeout=5, what="the panel to hide")

    def test_close_button_ends_the_session_and_clears_the_clipboard(self):
        self.tk.focus()
        self.start_list_session("a\nb\nc", "a")
        panel = wait_until(self.panel_window, timeout=5, what="the panel to appear")
        geometry = self.desktop.run(["xdotool", "getwindowgeometry", str(panel)]).stdout
        x, y = (int(v) for v in geometry.split("Position: ")[1].split()[0].split(","))
        width = int(geometry.split("Geometry: ")[1].split("x")[0])
        # The close button: 16 px, 8 px in from the right edge and 6 px from the top.
        self.desktop.run(["xdotool", "mousemove", str(x + width - 16), str(y + 14)])
        self.desktop.run(["xdotool", "click", "1"])
        self.wait_status(lambda status: status is None, what="the session to end")
        self.wait_clipboard_cleared()
        wait_until(lambda: self.panel_window() is None, timeout=5, what="the panel to hide")


if __name__ == "__main__":
    unittest.main(verbosity=2)
