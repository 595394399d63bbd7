"""Pastiq on a Wayland desktop (headless sway) with a native GTK application.

The first class checks the desktop itself, without Pastiq: keys typed by wtype and by the
seat's keyboard reach the GTK view, and a Ctrl+V there pastes what wl-copy put on the
clipboard. The others drive Pastiq through its scripted keyboard.
"""

import select
import threading

from pastiq_e2e.case import main
from pastiq_e2e.evdev_keys import EV_KEY, EV_SYN, SYN_REPORT, SeatKeyboard, combo_codes
from pastiq_e2e.waiting import WaitTimeout, wait_for_value, wait_until
from pastiq_e2e.wayland_case import SwayTestCase

NEW_LIST = "north\neast\nsouth"


class HarnessTest(SwayTestCase):
    """The desktop the Pastiq cases rely on, checked with the tools of the field."""

    start_pastiq = False

    def test_typed_keys_reach_the_gtk_view(self):
        # wtype's keyboard is new to the seat on each run: its first key would arrive with the
        # keymap, as part of the focus change, so it waits a moment before typing.
        cases = (
            ("wtype", lambda text: self.desktop.run(["wtype", "-s", "100", text])),
            ("seat keyboard", self.desktop.seat_keyboard.type),
        )
        for name, type_text in cases:
            with self.subTest(name):
                self.gtk.set_text("")
                type_text("Typed, Text: [1] {2}!")
                self.wait_tk_text("Typed, Text: [1] {2}!", what=f"what {name} typed")

    def test_ctrl_v_pastes_what_wl_copy_set(self):
        # The seat's keyboard, not wtype: GTK 3 binds Ctrl+V to the key codes of the keymap its
        # window first saw, and wtype brings a keymap of its own on each run.
        self.clipboard.set("from wl-copy ✓")
        self.gtk.focus()
        self.desktop.seat_keyboard.key("ctrl+v")
        wait_for_value(self.gtk.pasted, ["from wl-copy ✓"], what="the paste")

    def test_scripted_keyboard_writes_kernel_records(self):
        self.keyboard.key("ctrl+v")
        ctrl, v = combo_codes("ctrl+v")
        keys = [(EV_KEY, ctrl, 1), (EV_KEY, v, 1), (EV_KEY, v, 0), (EV_KEY, ctrl, 0)]
        report = (EV_SYN, SYN_REPORT, 0)
        self.assertEqual(self.keyboard.drain(), [r for key in keys for r in (key, report)])

    def test_keys_passed_on_by_a_later_keyboard_paste_in_the_view(self):
        """What Pastiq does with the keys it does not take, here without a session: each
        record of the scripted keyboard goes on as it arrives through a virtual keyboard that
        joined the seat after the view opened, and each Ctrl+V pastes."""
        relay = KeyRelay(self.keyboard, SeatKeyboard(self.desktop.wayland_socket))
        self.addCleanup(relay.stop)
        self.clipboard.set("relayed")
        self.gtk.focus()
        self.keyboard.key("shift")  # see SwayTestCase.make_pastiq_keyboard_current
        wait_until(lambda: "Shift_L:" in self.gtk.keys(), timeout=5, what="the relay's first key")
        self.keyboard.type("Ab ")
        self.keyboard.key(*["ctrl+v"] * 3, delay_ms=5)
        wait_for_value(self.gtk.pasted, ["relayed"] * 3, what="three pastes")
        self.assertEqual(self.gtk.text(), "Ab relayedrelayedrelayed")


class KeyRelay(threading.Thread):
    """Reads the scripted keyboard's records as they come and sends their keys on."""

    def __init__(self, source, sink):
        super().__init__(daemon=True)
        self.source, self.sink = source, sink
        self.stopping = threading.Event()
        self.start()

    def run(self):
        while not self.stopping.is_set():
            if select.select([self.source.fd], [], [], 0.02)[0]:
                for kind, code, value in self.source.drain():
                    if kind == EV_KEY:
                        self.sink.emit(code, value)
                self.sink.flush()

    def stop(self):
        self.stopping.set()
        self.join(timeout=5)
        self.sink.release_all()
        self.sink.close()


class PastiqOnSwayTest(SwayTestCase):
    def paste(self, count=1, delay_ms=12):
        self.gtk.focus()
        self.keyboard.key(*["ctrl+v"] * count, delay_ms=delay_ms)

    def test_list_pastes_in_order_then_clears_the_clipboard(self):
        session = self.start_list_session("- alpha\n- beta\n- gamma\n", "alpha")
        self.assertEqual(session["count"], 3)
        for done, item in enumerate(("alpha", "beta", "gamma"), start=1):
            self.paste()
            self.wait_for_pastes(done, what=f"the paste of {item}")
            self.keyboard.key("Return")
        self.wait_tk_text("alpha\nbeta\ngamma\n", what="three pastes in order")
        self.check_cleared_finish("alpha\nbeta\ngamma\n")

    def test_twelve_pastes_five_ms_apart_paste_every_item_once_in_order(self):
        items = [f"item{number:02d}" for number in range(1, 13)]
        self.start_list_session("\n".join(items), "item01")
        self.paste(count=12, delay_ms=5)
        self.wait_tk_text("".join(items), timeout=10, what="twelve pastes in order")
        # GTK reports the last paste done only after its text changed.
        wait_for_value(self.gtk.pasted, items, what="each paste on its own")

    def test_spreadsheet_row_keys_follow_each_paste_in_a_burst(self):
        self.restart_pastiq(afterEachPaste="spreadsheetRow")
        self.start_list_session("a1\ta2\ta3\nb1\tb2\tb3\n", "a1")
        self.paste(count=6, delay_ms=5)
        self.wait_tk_text("a1\ta2\ta3\nb1\tb2\tb3\n", timeout=10, what="cell, key, cell, key…")

    def test_step_keys_move_the_queue_and_never_reach_the_view(self):
        self.start_list_session("one\ntwo\nthree\nfour", "one")
        self.gtk.focus()
        self.keyboard.key("ctrl+bracketright", "ctrl+bracketright")
        self.wait_status(lambda s: s["cursor"] == 2, what="two steps forward")
        self.wait_clipboard("three", what="the stepped-to item written at once")
        self.keyboard.key("ctrl+bracketleft")
        self.wait_status(lambda s: s["cursor"] == 1, what="one step back")
        self.paste()
        self.wait_tk_text("two")
        step_keys = ("bracketleft", "bracketright")
        reached = [k for k in self.gtk.shortcut_keys() if k.split(":")[0] in step_keys]
        self.assertEqual(reached, [], "Ctrl+[ and Ctrl+] must be consumed")

    def test_ctrl_c_in_the_view_reloads_the_queue(self):
        self.start_list_session("old1\nold2", "old1")
        self.paste()
        # The paste must land before the new text is selected, or it replaces the selection.
        self.wait_for_pastes(1, what="the paste of old1")
        self.gtk.set_text(NEW_LIST, select=[0, len(NEW_LIST)])
        self.keyboard.key("ctrl+c")
        status = self.wait_status(lambda s: s["count"] == 3, what="the queue reloaded by the copy")
        self.assertEqual(status["cursor"], 0)
        self.wait_clipboard("north", what="the first new item written over the copied text")
        self.assertIn("c:Control", self.gtk.shortcut_keys(), "Ctrl+C must reach the view")
        self.gtk.set_text("")
        self.paste(count=2)
        self.wait_tk_text("northeast")

    def test_hotkey_starts_a_session_from_the_selection_and_ends_it(self):
        self.clipboard.set("stale clipboard")
        self.gtk.set_text(NEW_LIST, select=[0, len(NEW_LIST)])
        self.gtk.focus()
        self.keyboard.key("ctrl+alt+c")
        status = self.wait_status(lambda s: s is not None, what="a session from the selection")
        self.assertEqual((status["count"], status["cursor"]), (3, 0))
        self.wait_clipboard("north")
        self.gtk.set_text("")
        self.paste()
        self.wait_tk_text("north")
        # While no session holds the keyboards the hot key is only watched; during one it is
        # Pastiq's alone.
        self.keyboard.key("ctrl+alt+c")
        self.wait_status(lambda s: s is None, what="the hot key to end the session")
        self.wait_clipboard_cleared()
        self.assertNotIn("c:Control+Alt", self.gtk.shortcut_keys(), "the hot key reached the view")

    def wait_for_pastes(self, count, what):
        """GTK pastes asynchronously: a key typed right after Ctrl+V may land before the text."""
        try:
            wait_until(lambda: len(self.gtk.pasted()) >= count, timeout=5, what=what)
        except WaitTimeout as failure:
            self.fail(f"{failure}\npasted: {self.gtk.pasted()}\n{self.log_tail()}")


if __name__ == "__main__":
    main()
