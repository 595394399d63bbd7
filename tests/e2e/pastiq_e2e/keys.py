"""Keys sent through XTEST with xdotool, exactly as a physical keyboard would send them."""

import time


class Keyboard:
    def __init__(self, desktop):
        self.desktop = desktop

    def key(self, *combos, delay_ms=12):
        """Presses and releases each combo in turn (xdotool names: ctrl+v, ctrl+bracketleft)."""
        self._xdotool("key", "--delay", str(delay_ms), *combos)

    def burst(self, combo, last_key_held_ms=0):
        """Presses the keys of combo together and lets them go in order within about a
        millisecond, as macro tools send a shortcut; with last_key_held_ms the last key (the
        letter) goes up that long after the others."""
        *modifiers, last = combo.split("+")
        args = ["keydown", "--delay", "0", combo, "keyup", "--delay", "0", "+".join(modifiers)]
        if last_key_held_ms:
            args += ["sleep", f"{last_key_held_ms / 1000:.3f}"]
        self._xdotool(*args, "keyup", "--delay", "0", last)

    def type(self, text, delay_ms=12):
        self._xdotool("type", "--delay", str(delay_ms), "--", text)

    def down(self, *keys):
        self._xdotool("keydown", *keys)

    def up(self, *keys):
        self._xdotool("keyup", *keys)

    def hold(self, modifier, key, seconds):
        """Holds modifier+key long enough for the server to auto-repeat the key.

        The key is lifted before the modifier, so no repeat can arrive without the modifier.
        """
        self.down(modifier)
        self.down(key)
        try:
            time.sleep(seconds)
        finally:
            self.up(key)
            self.up(modifier)

    def release_all(self):
        """Lifts every key a failed test may have left down."""
        self._xdotool(
            "keyup", "ctrl", "shift", "alt", "super", "v", "c", "bracketleft", "bracketright",
            check=False,
        )

    def activate(self, window_id):
        self._xdotool("windowactivate", "--sync", str(window_id))
        self._xdotool("windowfocus", "--sync", str(window_id))

    def find_window(self, name):
        result = self.desktop.run(["xdotool", "search", "--onlyvisible", "--name", name], check=False)
        ids = result.stdout.split()
        return int(ids[0]) if ids else None

    def _xdotool(self, *args, check=True):
        self.desktop.run(["xdotool", *args], check=check)
