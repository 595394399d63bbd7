"""Spreadsheet Row fills a LibreOffice Calc grid row by row with one Ctrl+V per cell: Pastiq
presses Tab between a row's cells and Return after its last, and Calc's Return goes back to
the column the row started in."""

from pastiq_e2e.apps import CalcSheet
from pastiq_e2e.case import DesktopTestCase, main

GRID = [[f"r{row}c{column}" for column in range(1, 4)] for row in range(1, 4)]


class CalcSpreadsheetRowTest(DesktopTestCase):
    with_tk = False
    start_pastiq = False

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.calc = CalcSheet(cls.desktop, cls.keyboard, cls.clipboard)
        cls.addClassCleanup(cls.calc.close)

    def test_row_order_grid_fills_the_cells_row_by_row(self):
        self.restart_pastiq(afterEachPaste="spreadsheetRow")
        for delay_ms in (150, 20):
            with self.subTest(delay_ms=delay_ms):
                self.calc.clear()
                copied = "\n".join("\t".join(row) for row in GRID)
                self.start_list_session(copied, GRID[0][0])
                self.calc.go_to_first_cell()
                self.keyboard.key(*["ctrl+v"] * 9, delay_ms=delay_ms)
                self.wait_status(lambda s: s and s["finished"], timeout=10, what="the grid")
                # The finish clears the clipboard only after the last paste Pastiq still types.
                self.wait_clipboard_cleared()
                self.pastiq.end_session()
                self.assertEqual(self.calc.grid(3, 3), GRID, self.log_tail())


if __name__ == "__main__":
    main()
