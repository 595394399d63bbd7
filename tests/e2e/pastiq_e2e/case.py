"""The base of every end-to-end test: one private desktop per test class, one Pastiq per test."""

import os
import subprocess
import unittest

from .apps import TkText
from .clipboard import Clipboard
from .desktop import Desktop
from .keys import Keyboard
from .pastiq import Pastiq, pastiq_binary
from .waiting import WaitTimeout, wait_for_value, wait_until


def require_program():
    if not os.access(pastiq_binary(), os.X_OK):
        raise unittest.SkipTest(f"no Pastiq program at {pastiq_binary()} (set PASTIQ_BINARY)")


class DesktopTestCase(unittest.TestCase):
    """Starts Xvfb, openbox, the buses and the Tk target once per class, and Pastiq per test.

    `preferences` are written to Pastiq's preference file before each start; a test that needs
    other values calls `restart_pastiq(**preferences)`.
    """

    preferences = {}
    start_pastiq = True
    with_tk = True

    @classmethod
    def setUpClass(cls):
        require_program()
        cls.desktop = Desktop().start()
        cls.addClassCleanup(cls.desktop.stop)
        cls.keyboard = Keyboard(cls.desktop)
        cls.clipboard = Clipboard(cls.desktop)
        cls.tk = TkText(cls.desktop, cls.keyboard) if cls.with_tk else None

    def setUp(self):
        self.addCleanup(self.keyboard.release_all)
        self.pastiq = self.make_pastiq()
        if self.tk is not None:
            self.tk.set_text("")
        if self.start_pastiq:
            self.restart_pastiq(**self.preferences)

    def make_pastiq(self):
        return Pastiq(self.desktop)

    def restart_pastiq(self, **preferences):
        if self.pastiq.running():
            self.stop_pastiq()
        self.pastiq.write_preferences(**preferences)
        self.pastiq.start()
        self.addCleanup(self.stop_pastiq)

    def stop_pastiq(self):
        """SIGTERM must end Pastiq promptly and cleanly; anything else fails the test."""
        if not self.pastiq.running():
            return
        try:
            status = self.pastiq.terminate()
        except Exception as failure:  # the process did not exit in time
            self.fail(f"Pastiq did not exit after SIGTERM: {failure}\n{self.log_tail()}")
        self.assertEqual(status, 0, f"Pastiq exit status after SIGTERM\n{self.log_tail()}")

    # ------------------------------------------------------------------------------ sessions
    def start_list_session(self, text, first_item):
        """Copies text with xclip and starts a session from it as the tray menu would."""
        self.clipboard.set(text)
        session = self.pastiq.start_session()
        self.wait_clipboard(first_item, what="the first item on the clipboard after start")
        return session

    def stall_pastiq(self, milliseconds):
        """Stalls Pastiq's main thread through the test hook; returns once the stall has begun
        (a status request, answered by the main thread, no longer comes back)."""
        caller = self.pastiq.stall_main_thread(milliseconds)
        self.addCleanup(caller.wait, 10)

        def status_blocks():
            try:
                self.pastiq.cli("status", timeout=0.1)
            except subprocess.TimeoutExpired:
                return True
            return False

        wait_until(status_blocks, timeout=2, interval=0.0, what="Pastiq's main thread to stall")

    def paste_into_tk(self, count=1, delay_ms=12):
        self.tk.focus()
        self.keyboard.key(*["ctrl+v"] * count, delay_ms=delay_ms)

    # ---------------------------------------------------------------------------- assertions
    def wait_tk_text(self, expected, timeout=5, what="the Tk text"):
        try:
            return wait_for_value(self.tk.text, expected, timeout=timeout, what=what)
        except WaitTimeout as failure:
            self.fail(
                f"{failure}\nkeys seen by Tk: {self.tk.shortcut_keys()}"
                f"\nsession: {self.session_for_report()}\n{self.log_tail()}"
            )

    def wait_clipboard(self, expected, timeout=5, what="the clipboard"):
        try:
            return wait_for_value(self.clipboard.text, expected, timeout=timeout, what=what)
        except WaitTimeout as failure:
            self.fail(f"{failure}\n{self.log_tail()}")

    def wait_clipboard_cleared(self, timeout=5):
        """A cleared clipboard has no owner or offers no text: a paste inserts nothing."""
        try:
            wait_until(lambda: self.clipboard.text() in (None, ""), timeout=timeout,
                       what="the clipboard to be cleared")
        except WaitTimeout as failure:
            self.fail(f"{failure}; it holds {self.clipboard.text()!r}\n{self.log_tail()}")

    def check_cleared_finish(self, text):
        """After the last item of a clearing finish: the queue and the clipboard are empty and
        the session stays, so a further Ctrl+V reaches the application and inserts nothing."""
        status = self.wait_status(
            lambda s: s and s["count"] == 0 and s["finished"], what="the queue to be cleared"
        )
        self.assertEqual(status["progress"], "0 of 0")
        self.wait_clipboard_cleared()
        pastes = self.tk.shortcut_keys().count("v:Control")
        self.keyboard.key("ctrl+v", "x")
        self.wait_tk_text(text + "x")
        self.assertEqual(self.tk.shortcut_keys().count("v:Control"), pastes + 1)

    def wait_status(self, predicate, timeout=5, what="session status"):
        try:
            return self.pastiq.wait_for_status(predicate, timeout=timeout, what=what)
        except AssertionError as failure:
            self.fail(f"{failure}\n{self.log_tail()}")

    def wait_log(self, line, timeout=5):
        try:
            wait_until(lambda: line in self.pastiq.log(), timeout=timeout, what=f"log line {line!r}")
        except WaitTimeout as failure:
            self.fail(f"{failure}\n{self.log_tail()}")

    def session_for_report(self):
        try:
            if self.pastiq.process is None:
                return "(Pastiq not started)"
            if not self.pastiq.running():
                # The single-instance rule reaches every Pastiq of this user, so a Pastiq
                # started elsewhere on the machine ends this one with SIGTERM.
                return f"(Pastiq exited with status {self.pastiq.process.returncode})"
            return self.pastiq.status()
        except AssertionError as failure:
            return f"(no status: {failure})"

    def log_tail(self, lines=40):
        if self.pastiq.log_path is None:
            return "(Pastiq not started)"
        try:
            tail = self.pastiq.log().splitlines()[-lines:]
        except OSError:
            return "(no Pastiq log)"
        return "Pastiq log (last lines):\n  " + "\n  ".join(tail)


def main():
    unittest.main(verbosity=2)
