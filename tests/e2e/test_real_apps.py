"""A list pastes in order, also in a fast burst, in Firefox ESR and in a Qt Widgets application.

Both fetch the clipboard their own way: Qt asks with the time of the last X event it read,
the Ctrl+V, and waits for the answer; Firefox's content process asks its parent, which asks
through GTK with CurrentTime. Each application starts once per class (Firefox takes a second
or more); each test empties its field first.
"""

import sys
import unittest

from pastiq_e2e.apps import QtText
from pastiq_e2e.case import DesktopTestCase, main
from pastiq_e2e.firefox import FirefoxTextarea
from pastiq_e2e.waiting import WaitTimeout, wait_for_value, wait_stable

ITEMS = ["alpha", "beta", "gamma", "delta"]
BURST = [f"item{number:02d}" for number in range(1, 13)]
BURST_DELAYS_MS = (5, 20)


class RealApplicationCases:
    """The cases for one application; a subclass starts it in `start_application`."""

    with_tk = False

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.app = cls.start_application()
        cls.addClassCleanup(cls.app.close)

    def setUp(self):
        super().setUp()
        self.empty_field()

    def test_list_pastes_in_order_between_typed_keys(self):
        self.start_list_session("\n".join(ITEMS), ITEMS[0])
        self.app.focus()
        self.keyboard.key(*["ctrl+v", "Return"] * len(ITEMS))
        self.wait_app_text("".join(f"{item}\n" for item in ITEMS))

    def test_burst_pastes_every_item_once_in_order(self):
        for delay_ms in BURST_DELAYS_MS:
            with self.subTest(delay_ms=delay_ms):
                self.empty_field()
                self.paste_burst(delay_ms)

    def paste_burst(self, delay_ms):
        self.start_list_session("\n".join(BURST), BURST[0])
        self.app.focus()
        self.keyboard.key(*["ctrl+v"] * len(BURST), delay_ms=delay_ms)
        self.wait_status(lambda s: s and s["finished"], timeout=10, what="the list to finish")
        self.wait_app_text("".join(BURST))

    def wait_app_text(self, expected):
        try:
            wait_for_value(self.app.text, expected, timeout=2, what="the pasted text")
        except WaitTimeout:
            # Slow, or wrong: wrong text stops changing, and then the failure shows it.
            text = wait_stable(self.app.text, quiet=1.0, timeout=10)
            self.assertEqual(text, expected, f"{self.app.describe()}"
                             f"\nsession: {self.session_for_report()}\n{self.log_tail()}")


class FirefoxTest(RealApplicationCases, DesktopTestCase):
    @classmethod
    def start_application(cls):
        firefox = FirefoxTextarea(cls.desktop, cls.keyboard)
        print(f"\nFirefox showed the page {firefox.start_seconds:.1f} s after start",
              file=sys.stderr)
        firefox.warm_up(cls.clipboard)
        return firefox

    def empty_field(self):
        self.app.clear()

    # Firefox asks for the text with CurrentTime, so the clipboard history cannot tell which
    # key a request is for: only the hold on the next key's write, released when the text has
    # been fetched, keeps a burst in order. Both cases below fail at 5 ms between keys.
    #
    # A paste handler that reads the pasted text (as web editors do) makes Firefox fetch the
    # text twice per paste, once for the handler and once for the insertion. The first fetch
    # releases the hold, the next key's write replaces the clipboard, and the insertion gets
    # the next item: the field ends "item02item04...item12item12...".
    @unittest.expectedFailure
    def test_burst_into_a_page_that_reads_the_pasted_text(self):
        self.app.clear("read")
        self.paste_burst(delay_ms=5)

    # Firefox fetches the text for the insertion only after the page's paste handler has run.
    # A handler busy for longer than the hold bound (150 ms) lets the next key's hold run out,
    # which disarms the hold until a fetch comes again: the later keys are written back to
    # back, and that insertion and every later one get the newest item, "item01item12...".
    # A fresh Firefox's first paste can be as slow (up to about 400 ms measured), which is why
    # the class warms Firefox up first.
    @unittest.expectedFailure
    def test_burst_into_a_page_that_is_slow_on_one_paste(self):
        self.app.clear("slow")
        self.paste_burst(delay_ms=5)


class QtTest(RealApplicationCases, DesktopTestCase):
    @classmethod
    def start_application(cls):
        return QtText(cls.desktop, cls.keyboard)

    def empty_field(self):
        self.app.set_text("")


if __name__ == "__main__":
    main()
