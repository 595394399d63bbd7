"""A brisk Ctrl+V, Return down a LibreOffice Calc column pastes every item once, in order.

Calc asks for the clipboard's text twice for one paste, always with CurrentTime, and pastes
what the second answer carried; on its own X11 backend each request also takes about 100 ms.
At ten pastes a second it falls behind the keys, so the clipboard has moved on to later items
while it still pastes an earlier one.
"""

from pastiq_e2e.apps import CalcSheet
from pastiq_e2e.case import DesktopTestCase, main

ITEMS = [f"c{number}" for number in range(10)]


class CalcColumnTest(DesktopTestCase):
    with_tk = False

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.calc = CalcSheet(cls.desktop, cls.keyboard, cls.clipboard)
        cls.addClassCleanup(cls.calc.close)

    def setUp(self):
        super().setUp()
        self.calc.clear()

    def paste_down_the_column(self, items, keys, delay_ms):
        self.start_list_session("\n".join(items), items[0])
        self.calc.go_to_first_cell()
        self.keyboard.key(*keys, delay_ms=delay_ms)
        self.wait_status(lambda s: s and s["finished"], timeout=10, what="the list to finish")
        self.pastiq.end_session()

    def test_ctrl_v_return_pairs_fill_the_column_in_order(self):
        for pair_ms in (100, 20):
            with self.subTest(pair_ms=pair_ms):
                self.calc.clear()
                self.paste_down_the_column(ITEMS, ["ctrl+v", "Return"] * 10, pair_ms // 2)
                self.assertEqual(self.calc.column(10), ITEMS, self.log_tail())

    def test_burst_into_one_cell_being_edited_appends_every_item_in_order(self):
        # Calc takes a paste into a cell's text while the cell is edited (F2), so a burst of
        # Ctrl+V with nothing in between builds one text.
        items = [f"i{number:02d}" for number in range(1, 13)]
        self.start_list_session("\n".join(items), items[0])
        self.calc.go_to_first_cell()
        self.keyboard.key("F2")
        self.keyboard.key(*["ctrl+v"] * 12, delay_ms=5)
        self.wait_status(lambda s: s and s["finished"], timeout=10, what="the list to finish")
        self.keyboard.key("Return")
        self.pastiq.end_session()
        self.assertEqual(self.calc.column(1), ["".join(items)], self.log_tail())

    def test_spreadsheet_row_fills_a_grid_row_by_row(self):
        # Pastiq presses Tab between a row's cells and Return after its last; Calc's Return goes
        # back to the column the row started in. One Ctrl+V per cell, brisk and in a burst.
        grid = [[f"r{row}c{column}" for column in range(1, 4)] for row in range(1, 4)]
        self.restart_pastiq(afterEachPaste="spreadsheetRow")
        for delay_ms in (150, 20):
            with self.subTest(delay_ms=delay_ms):
                self.calc.clear()
                self.start_list_session("\n".join("\t".join(row) for row in grid), "r1c1")
                self.calc.go_to_first_cell()
                self.keyboard.key(*["ctrl+v"] * 9, delay_ms=delay_ms)
                self.wait_status(lambda s: s and s["finished"], timeout=10, what="the grid")
                # Calc is still pasting: the pastes Pastiq has taken over are typed all the same,
                # and the clipboard is cleared after the last of them.
                self.pastiq.end_session()
                self.wait_clipboard_cleared()
                self.assertEqual(self.calc.grid(3, 3), grid, self.log_tail())


if __name__ == "__main__":
    main()
