"""Ctrl+C during a session reloads the queue; Ctrl+Alt+C starts from the selection or ends."""

import time

from pastiq_e2e.apps import yad_entry, yad_text_view
from pastiq_e2e.case import DesktopTestCase, main

HOTKEY = "ctrl+alt+c"
NEW_LIST = "north\neast\nsouth"
COPY_PROMPTNESS_MS = 200


class CopyDuringSessionTest(DesktopTestCase):
    def copy_in_tk(self, text):
        self.tk.set_text(text, select=[0, len(text)])
        self.tk.focus()
        self.keyboard.key("ctrl+c")

    def test_ctrl_c_in_the_application_reloads_the_queue(self):
        self.start_list_session("old1\nold2", "old1")
        self.paste_into_tk()
        self.wait_status(lambda s: s["cursor"] == 1)
        self.copy_in_tk(NEW_LIST)
        status = self.wait_status(lambda s: s["count"] == 3, what="the queue reloaded from the copy")
        self.assertEqual((status["cursor"], status["label"]), (0, "List"))
        self.wait_clipboard("north", what="the first new item written over the copied text")
        self.assertIn("c:Control", self.tk.shortcut_keys(), "Ctrl+C must reach the application")
        self.tk.set_text("")
        self.keyboard.key("ctrl+v", "ctrl+v")
        self.wait_tk_text("northeast")

    def test_ctrl_c_after_the_list_was_cleared_loads_a_new_one(self):
        self.start_list_session("only", "only")
        self.paste_into_tk()
        self.wait_status(lambda s: s["finished"] and s["count"] == 0, what="the cleared finish")
        self.copy_in_tk(NEW_LIST)
        status = self.wait_status(lambda s: s["count"] == 3, what="the reload after the finish")
        self.assertFalse(status["finished"])
        self.tk.set_text("")
        self.keyboard.key("ctrl+v")
        self.wait_tk_text("north")


class HotkeyTest(DesktopTestCase):
    def test_hotkey_with_a_selection_starts_from_it(self):
        self.clipboard.set("stale clipboard")
        self.tk.set_text(NEW_LIST, select=[0, len(NEW_LIST)])
        self.tk.focus()
        sent_ns = time.monotonic_ns()
        self.keyboard.key(HOTKEY)
        status = self.wait_status(lambda s: s is not None, what="a session from the selection")
        self.assertEqual((status["count"], status["cursor"]), (3, 0))
        self.wait_clipboard("north")
        # The copy follows the hot key's release after a poll of the keys and an accessibility
        # query; a quarter of a second means a query waited out the bus timeout.
        copy_ns = [t for t, key in self.tk.key_times_ns() if key == "c:Control" and t > sent_ns]
        self.assertLess((copy_ns[0] - sent_ns) / 1e6, COPY_PROMPTNESS_MS, "the copy lagged")
        keys = self.tk.shortcut_keys()
        self.assertNotIn("c:Control+Alt", keys, "the hot key must never reach the application")
        self.assertEqual(keys.count("c:Control"), 1, f"one synthetic copy expected, Tk saw {keys}")
        self.tk.set_text("")
        self.keyboard.key("ctrl+v")
        self.wait_tk_text("north")

    def test_hotkey_sent_in_one_burst_starts_from_a_gtk_selection(self):
        """Macro tools and `xdotool key` send the whole hot key within a millisecond, and may let
        Ctrl and Alt go before C: the copy must wait until C is up too, as the server drops a
        press of a key that is still down."""
        view = yad_text_view(self.desktop, self.keyboard)
        self.addCleanup(view.close)
        view.focus()
        # xdotool types "\n" as Linefeed, which a GTK text view ignores, and "\r" as Return.
        self.keyboard.type(NEW_LIST.replace("\n", "\r"))
        # 400 ms: a slow release of C, still short of the server's auto-repeat delay.
        for name, c_held_ms in (("all keys up at once", 0), ("C up last", 400)):
            with self.subTest(name):
                self.clipboard.set("stale clipboard")
                view.focus()
                self.keyboard.key("ctrl+a")
                self.keyboard.burst(HOTKEY, last_key_held_ms=c_held_ms)
                status = self.wait_status(lambda s: s is not None, what="a session from the view")
                self.assertEqual(status["count"], 3, f"clipboard: {self.clipboard.text()!r}")
                self.wait_clipboard("north")
                self.pastiq.cli("end")
                self.wait_status(lambda s: s is None, what="the session to end")

    def test_hotkey_with_nothing_selected_in_a_gtk_entry_starts_an_empty_session(self):
        self.clipboard.set("prior")
        entry = yad_entry(self.desktop, self.keyboard, text="kept ")
        self.addCleanup(entry.close)
        entry.focus()
        self.keyboard.key("End")  # GTK selects an entry's text on focus; leave only the caret
        self.keyboard.key(HOTKEY)
        status = self.wait_status(lambda s: s is not None, what="an empty session")
        self.assertEqual((status["count"], status["progress"]), (0, "0 of 0"))
        self.wait_log("Nothing selected — copy skipped")
        # An empty session writes nothing: Ctrl+V pastes what the clipboard already held.
        self.keyboard.key("ctrl+v")
        time.sleep(0.3)  # nothing to poll: yad reports its text only when closed
        self.assertEqual(entry.finish(), "kept prior\n")
        self.assertEqual(self.pastiq.status()["count"], 0)

    def test_hotkey_ends_a_running_session_and_clears_the_clipboard(self):
        self.start_list_session(NEW_LIST, "north")
        self.tk.focus()
        self.keyboard.key(HOTKEY)
        self.wait_status(lambda s: s is None, what="the hot key to end the session")
        self.wait_clipboard_cleared()
        self.assertNotIn("c:Control+Alt", self.tk.shortcut_keys())
        # With the session gone, Ctrl+V is the application's own again.
        self.clipboard.set("after")
        self.keyboard.key("ctrl+v")
        self.wait_tk_text("after")


if __name__ == "__main__":
    main()
