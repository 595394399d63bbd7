"""Which keys Pastiq takes during a session, which it passes on, and which it leaves alone."""

from pastiq_e2e.case import DesktopTestCase, main
from pastiq_e2e.waiting import stays, wait_for_value, wait_stable

FIVE = "one\ntwo\nthree\nfour\nfive"
STEP_KEYS = ("bracketleft", "bracketright")


class StepKeyTest(DesktopTestCase):
    def assert_no_step_key_reached_tk(self):
        reached = [key for key in self.tk.shortcut_keys() if key.split(":")[0] in STEP_KEYS]
        self.assertEqual(reached, [], "Ctrl+[ and Ctrl+] must be consumed")

    def test_step_keys_move_the_cursor_and_never_reach_the_application(self):
        self.start_list_session(FIVE, "one")
        self.tk.focus()
        self.keyboard.key("ctrl+bracketleft")  # already on the first item: nothing changes
        self.keyboard.key("ctrl+bracketright", "ctrl+bracketright")
        self.wait_status(lambda s: s["cursor"] == 2, what="two steps forward")
        self.wait_clipboard("three", what="the stepped-to item written at once")
        self.keyboard.key("ctrl+bracketleft")
        self.wait_status(lambda s: s["cursor"] == 1 and s["progress"] == "2 of 5")
        self.wait_clipboard("two")
        self.keyboard.key("ctrl+v")
        self.wait_tk_text("two")
        self.wait_status(lambda s: s["cursor"] == 2)
        self.assert_no_step_key_reached_tk()
        self.assertEqual(self.tk.text(), "two")

    def test_step_forward_past_the_last_item_changes_nothing(self):
        self.start_list_session("x\ny", "x")
        self.tk.focus()
        self.keyboard.key("ctrl+bracketright", "ctrl+bracketright", "ctrl+bracketright")
        self.wait_status(lambda s: s["cursor"] == 1)
        self.wait_clipboard("y")
        self.assertTrue(stays(lambda: self.pastiq.status()["cursor"] == 1, 0.3))
        self.assert_no_step_key_reached_tk()

    def test_step_keys_work_with_caps_lock_and_num_lock_on(self):
        self.start_list_session(FIVE, "one")
        self.tk.focus()
        self.keyboard.key("Caps_Lock", "Num_Lock")
        self.addCleanup(self.keyboard.key, "Caps_Lock", "Num_Lock")
        self.keyboard.key("ctrl+bracketright")
        self.wait_status(lambda s: s["cursor"] == 1, what="Ctrl+] with the locks on")
        self.keyboard.key("ctrl+v")
        self.wait_tk_text("two")
        self.assert_no_step_key_reached_tk()


class UntouchedKeyTest(DesktopTestCase):
    def test_ctrl_with_shift_alt_or_super_v_reaches_the_application_untouched(self):
        self.start_list_session(FIVE, "one")
        self.tk.focus()
        self.keyboard.key("ctrl+shift+v", "ctrl+alt+v", "ctrl+super+v", "ctrl+shift+bracketright")
        expected = ["V:Shift+Control", "v:Control+Alt", "v:Control+Super", "braceright:Shift+Control"]
        wait_for_value(self.tk.shortcut_keys, expected, what="the keys Tk saw")
        status = self.pastiq.status()
        self.assertEqual((status["cursor"], status["count"]), (0, 5), "the queue must not move")
        self.assertEqual(self.clipboard.text(), "one")

    def test_holding_ctrl_v_pastes_one_item_and_passes_the_repeats_on(self):
        """The first press pastes "one" and moves the cursor to "two"; the auto-repeats are
        passed on untouched, so each pastes what the clipboard holds: "one" again."""
        self.start_list_session(FIVE, "one")
        self.tk.focus()
        self.keyboard.hold("ctrl", "v", seconds=1.2)
        presses = wait_stable(lambda: self.tk.shortcut_keys().count("v:Control"))
        self.assertGreaterEqual(presses, 2, "the server must have auto-repeated the held V")
        self.wait_tk_text("one" * presses, what=f"{presses} pastes of the first item")
        self.assertEqual(self.pastiq.status()["cursor"], 1, "only the first press may advance")
        self.keyboard.key("ctrl+v")
        self.wait_tk_text("one" * presses + "two")


if __name__ == "__main__":
    main()
