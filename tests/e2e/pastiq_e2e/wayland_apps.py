"""The native Wayland target and the clipboard as Wayland clients see them."""

import subprocess

from . import programs
from .apps import TkText
from .clipboard import Clipboard
from .waiting import wait_until


class GtkText(TkText):
    """The GTK 3 text view of apps/gtk_text.py on the sway desktop; it speaks tk_text.py's
    protocol, so reading and driving it is TkText's. sway gives a new window the focus; focus()
    asks for it again and waits until GTK reports its window active."""

    TITLE = "Pastiq e2e GTK text"
    SCRIPT = "gtk_text.py"
    # python3-gi is Debian's, installed for the system interpreter only.
    PYTHON = programs.SYSTEM_PYTHON

    def __init__(self, desktop, name="gtk"):  # pylint: disable=super-init-not-called
        self.launch(desktop, name)
        wait_until(self.active, timeout=10, what=f"{self.TITLE!r} to map with the focus")

    def active(self):
        return (self.state() or {}).get("active")

    def focus(self):
        self.desktop.swaymsg(f'[title="^{self.TITLE}$"]', "focus")
        wait_until(self.active, timeout=5, what=f"{self.TITLE!r} to have the focus")

    def pasted(self):
        """The text of each paste, in the order GTK inserted them."""
        return self.state()["pasted"]


class WaylandClipboard(Clipboard):
    """The regular clipboard through wl-clipboard, which uses the compositor's data-control
    protocol: neither tool needs a window or the focus."""

    TEXT_TYPE = "text/plain;charset=utf-8"

    def own(self, data):
        self._drop_owner()
        owner = self.desktop.spawn(
            ["wl-copy", "--foreground", "--type", self.TEXT_TYPE],
            log_name="wl-copy.log",
            stdin=subprocess.PIPE,
        )
        owner.stdin.write(data)
        owner.stdin.close()
        self._owner = owner

    def text(self):
        """The clipboard's text, or None when it is empty or offers no text."""
        result = self.desktop.run(
            ["wl-paste", "--no-newline", "--type", "text"], timeout=5, check=False, text=False
        )
        if result.returncode != 0:
            return None
        return result.stdout.decode("utf-8")

