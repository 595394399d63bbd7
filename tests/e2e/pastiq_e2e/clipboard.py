"""The CLIPBOARD selection as the tests see it, through xclip."""

import subprocess

from .waiting import wait_for_value, wait_until


class Clipboard:
    def __init__(self, desktop):
        self.desktop = desktop
        self._owner = None

    def set(self, text):
        """Makes an xclip process own CLIPBOARD with text; it serves requests until replaced."""
        self.own(text.encode("utf-8"))
        wait_for_value(self.text, text, timeout=5, what="the clipboard to hold the new text")

    def own(self, data):
        """Makes an xclip process own CLIPBOARD with these bytes, without reading them back."""
        self._drop_owner()
        owner = self.desktop.spawn(
            ["xclip", "-selection", "clipboard", "-target", "UTF8_STRING", "-quiet", "-in"],
            log_name="xclip.log",
            stdin=subprocess.PIPE,
        )
        owner.stdin.write(data)
        owner.stdin.close()
        self._owner = owner
        wait_until(self._has_owner, timeout=10, what="xclip to own the clipboard")

    def _has_owner(self):
        targets = self.desktop.run(
            ["xclip", "-selection", "clipboard", "-target", "TARGETS", "-out"], check=False
        )
        return "UTF8_STRING" in targets.stdout

    def text(self):
        """The clipboard's text, or None when nobody owns it or the owner offers no text."""
        result = self.desktop.run(
            ["xclip", "-selection", "clipboard", "-target", "UTF8_STRING", "-out"],
            timeout=5,
            check=False,
            text=False,
        )
        if result.returncode != 0:
            return None
        return result.stdout.decode("utf-8")

    def _drop_owner(self):
        if self._owner is not None:
            if self._owner.poll() is None:
                self._owner.kill()
                self._owner.wait()
            self.desktop.forget(self._owner)
            self._owner = None
