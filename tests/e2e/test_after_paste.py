"""The key Pastiq presses after each paste lands behind its item, also in a burst of Ctrl+V."""

import time

from pastiq_e2e.apps import yad_text_view
from pastiq_e2e.case import DesktopTestCase, main

ITEMS = [f"i{number:02d}" for number in range(1, 13)]


class AfterEachPasteTest(DesktopTestCase):
    start_pastiq = False

    def test_tk_gets_item_then_key_at_any_pace(self):
        cases = [("tab", "\t", 5), ("tab", "\t", 40), ("return", "\n", 8)]
        for stored, key, delay_ms in cases:
            with self.subTest(afterEachPaste=stored, delay_ms=delay_ms):
                self.restart_pastiq(afterEachPaste=stored)
                self.tk.set_text("")
                self.start_list_session("\n".join(ITEMS), ITEMS[0])
                self.paste_into_tk(count=len(ITEMS), delay_ms=delay_ms)
                self.wait_tk_text(key.join(ITEMS) + key, timeout=10, what="item, key, item, key…")
                self.stop_pastiq()

    def test_gtk_text_view_gets_item_then_tab_in_a_burst(self):
        self.restart_pastiq(afterEachPaste="tab")
        self.start_list_session("\n".join(ITEMS), ITEMS[0])
        view = yad_text_view(self.desktop, self.keyboard)
        self.addCleanup(view.close)
        view.focus()
        self.keyboard.key(*["ctrl+v"] * len(ITEMS), delay_ms=5)
        self.wait_status(lambda s: s and s["finished"], what="the list to finish")
        self.wait_clipboard_cleared()
        time.sleep(0.5)  # nothing to poll: yad reports its text only when closed
        self.assertEqual(view.finish(), "\t".join(ITEMS) + "\t", self.log_tail())

    def test_spreadsheet_row_ends_each_grid_row_with_return(self):
        self.restart_pastiq(afterEachPaste="spreadsheetRow")
        self.start_list_session("a1\ta2\ta3\nb1\tb2\tb3\n", "a1")
        self.paste_into_tk(count=6, delay_ms=5)
        self.wait_tk_text("a1\ta2\ta3\nb1\tb2\tb3\n")

    def test_no_key_follows_a_paste_of_nothing(self):
        self.restart_pastiq(afterEachPaste="return", listFinishBehavior="clearClipboard")
        self.start_list_session("x\ny\n", "x")
        self.paste_into_tk(count=2, delay_ms=5)
        self.wait_tk_text("x\ny\n")
        self.wait_status(lambda s: s and s["count"] == 0, what="the finished list to be cleared")
        self.paste_into_tk(count=2, delay_ms=5)
        time.sleep(0.7)  # a key sent late would show by now
        self.assertEqual(self.tk.text(), "x\ny\n")

if __name__ == "__main__":
    main()
