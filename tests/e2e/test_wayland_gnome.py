"""Pastiq on GNOME's compositor (headless mutter): the clipboard through XWayland.

mutter has no data-control protocol; Pastiq owns XWayland's X11 CLIPBOARD, which mutter bridges
to native Wayland applications. The native tools (wl-paste, wl-copy) and the native GTK view
see Pastiq's items only through that bridge, and Pastiq sees their copies only through it.
The sway cases run here as they are: each Ctrl+V must paste its own item although mutter
learns of each new item asynchronously.
"""

import re
import socket

import test_wayland_sway as sway_cases
from pastiq_e2e.case import main
from pastiq_e2e.evdev_keys import EV_KEY, INPUT_EVENT, combo_codes
from pastiq_e2e.gnome_case import GnomeTestCase
from pastiq_e2e.waiting import wait_for_value

BRIDGE_SUMMARY = re.compile(
    r"XWayland clipboard: the compositor asked for (\d+) of (\d+) writes"
    r"(?:, on average ([\d.]+) ms after it, ([\d.]+) ms at most)?"
)


class HarnessTest(GnomeTestCase):
    """The desktop the Pastiq cases rely on, checked without Pastiq."""

    start_pastiq = False

    def test_keys_through_the_key_sink_paste_the_bridged_clipboard(self):
        self.clipboard.set("from XWayland ✓")
        wait_for_value(self.clipboard.native_text, "from XWayland ✓", what="the bridged text")
        self.gtk.focus()
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as sink:
            sink.connect(self.desktop.key_sink)
            presses = [(code, 1) for code in combo_codes("ctrl+v")]
            for code, value in presses + [(code, 0) for code, _ in reversed(presses)]:
                sink.sendall(INPUT_EVENT.pack(0, 0, EV_KEY, code, value))
        wait_for_value(self.gtk.pasted, ["from XWayland ✓"], what="the paste")


class PastiqOnGnomeTest(GnomeTestCase, sway_cases.PastiqOnSwayTest):
    def test_a_new_list_over_a_running_session_reaches_native_applications(self):
        """Pastiq already owns the clipboard: mutter must take each new item all the same."""
        for text, first in (("first\nsecond", "first"), ("north\neast", "north")):
            self.start_list_session(text, first)
            wait_for_value(self.clipboard.native_text, first, what="the item through the bridge")
        self.assertEqual(self.pastiq.status()["count"], 2)

    def test_every_write_is_asked_for_by_the_compositor_before_its_key_goes_on(self):
        self.start_list_session("a1\na2\na3\na4", "a1")
        self.paste(count=4, delay_ms=5)
        self.wait_tk_text("a1a2a3a4")
        self.stop_pastiq()
        found = BRIDGE_SUMMARY.search(self.pastiq.log())
        self.assertIsNotNone(found, self.log_tail())
        asked, writes = int(found.group(1)), int(found.group(2))
        print(f"\n  bridge: {found.group(0)}")
        self.assertEqual(asked, writes, "a write the compositor never asked for")


if __name__ == "__main__":
    main()
