"""Each Ctrl+V in a real application pastes the next item, in order, whatever the pace."""

import time

from pastiq_e2e.apps import yad_text_view
from pastiq_e2e.case import DesktopTestCase, main

BULLETED_LIST = "- alpha\n- beta\n- gamma\n"
KEY_TEXT = {"Return": "\n", "Tab": "\t"}


def paste_each_then(case, items, key, text=""):
    """Pastes `items` into Tk one Ctrl+V each, every paste awaited before `key` is typed after
    it, and returns the text Tk then holds (after `text`). Tk reads the clipboard in a nested
    event loop that also takes the keys typed meanwhile, so a key typed a few milliseconds
    after Ctrl+V may land before the text."""
    for item in items:
        case.keyboard.key("ctrl+v")
        text += item
        case.wait_tk_text(text, what=f"the paste of {item}")
        case.keyboard.key(key)
        text += KEY_TEXT[key]
    return text


class ListFinishTest(DesktopTestCase):
    """Three Ctrl+V paste the three items; the fourth shows the finish behaviour."""

    start_pastiq = False

    def paste_three(self):
        session = self.start_list_session(BULLETED_LIST, "alpha")
        self.assertEqual(session["count"], 3)
        self.tk.focus()
        paste_each_then(self, ("alpha", "beta", "gamma"), "Return")
        self.wait_tk_text("alpha\nbeta\ngamma\n", what="three pastes in order")

    def test_clear_clipboard_empties_queue_and_clipboard(self):
        self.restart_pastiq(listFinishBehavior="clearClipboard")
        self.paste_three()
        self.check_cleared_finish("alpha\nbeta\ngamma\n")

    def test_unknown_value_behaves_as_clear_clipboard(self):
        self.restart_pastiq(listFinishBehavior="ClearClipboard")
        self.paste_three()
        self.wait_status(lambda s: s and s["count"] == 0, what="the queue to be cleared")

    def test_return_to_first_item_starts_over(self):
        self.restart_pastiq(listFinishBehavior="returnToFirstItem")
        self.paste_three()
        self.wait_status(lambda s: s and s["cursor"] == 0 and s["count"] == 3)
        self.wait_clipboard("alpha", what="the first item written again after the finish")
        self.keyboard.key("ctrl+v", "ctrl+v")
        self.wait_tk_text("alpha\nbeta\ngamma\nalphabeta")

    def test_stay_on_last_item_repeats_it(self):
        self.restart_pastiq(listFinishBehavior="stayOnLastItem")
        self.paste_three()
        self.keyboard.key("ctrl+v", "ctrl+v")
        self.wait_tk_text("alpha\nbeta\ngamma\ngammagamma")
        status = self.pastiq.status()
        self.assertEqual((status["cursor"], status["finished"]), (2, False))
        self.wait_clipboard("gamma")


class PasteOrderTest(DesktopTestCase):
    def test_grid_pastes_row_by_row(self):
        session = self.start_list_session("n1\tn2\tn3\nm1\tm2\tm3\n", "n1")
        self.assertEqual((session["kind"], session["label"], session["count"]), ("grid", "2×3 grid", 6))
        self.assertFalse(session["transposed"])
        self.tk.focus()
        text = paste_each_then(self, ("n1", "n2", "n3"), "Tab")
        self.keyboard.key("Return")
        paste_each_then(self, ("m1", "m2", "m3"), "Tab", text + "\n")
        self.wait_tk_text("n1\tn2\tn3\t\nm1\tm2\tm3\t")

    def test_burst_of_twenty_pastes_every_item_once_in_order(self):
        items = [f"item{number:02d}" for number in range(1, 21)]
        self.start_list_session("\n".join(items), "item01")
        self.paste_into_tk(count=20, delay_ms=5)
        self.wait_tk_text("".join(items), timeout=10, what="twenty pastes in order")
        self.wait_status(lambda s: s and s["finished"], what="the list to finish")

    def test_gtk_text_view_receives_each_item(self):
        self.start_list_session("1. first\n2. second\n3. third", "first")
        view = yad_text_view(self.desktop, self.keyboard)
        self.addCleanup(view.close)
        view.focus()
        # GTK pastes asynchronously, so keys typed between pastes could overtake them; the
        # items go in back to back, and the view is read once its requests have been served.
        self.keyboard.key("ctrl+v", "ctrl+v", "ctrl+v")
        self.wait_status(lambda s: s and s["finished"], what="the list to finish")
        time.sleep(0.5)  # nothing to poll: yad reports its text only when closed
        self.assertEqual(view.finish(), "firstsecondthird")

    def test_burst_of_twenty_into_a_gtk_text_view_pastes_every_item_once_in_order(self):
        # GTK's text request carries no key time, so only Pastiq's flow control keeps a burst
        # in order there.
        items = [f"item{number:02d}" for number in range(1, 21)]
        self.start_list_session("\n".join(items), "item01")
        view = yad_text_view(self.desktop, self.keyboard)
        self.addCleanup(view.close)
        view.focus()
        self.keyboard.key(*["ctrl+v"] * 20, delay_ms=5)
        self.wait_status(lambda s: s and s["finished"], timeout=10, what="the list to finish")
        time.sleep(0.5)  # nothing to poll: yad reports its text only when closed
        self.assertEqual(view.finish(), "".join(items))


if __name__ == "__main__":
    main()
