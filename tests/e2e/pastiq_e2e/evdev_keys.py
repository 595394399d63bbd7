"""Keys as a kernel keyboard reports them (evdev codes), for the Wayland tests.

`EvdevKeyboard` turns the harness's key names (xdotool's: "ctrl+v", "ctrl+bracketleft",
"Return") and text into presses and releases; a subclass says where they go. `ScriptedKeyboard`
writes them as `struct input_event` records into the FIFO that Pastiq reads in place of
/dev/input under test (PASTIQ_TEST_KEYBOARD); `SeatKeyboard` sends them straight to the
compositor through a virtual keyboard, as a physical keyboard would reach it without Pastiq.
"""

import os
import string
import struct
import time

from .wayland_wire import VirtualKeyboard

# linux/input-event-codes.h
EV_SYN, EV_KEY, SYN_REPORT = 0, 1, 0
# struct input_event on 64-bit Linux: the time (seconds, microseconds), type, code, value
INPUT_EVENT = struct.Struct("qqHHi")

MODIFIER_CODES = {
    "ctrl": 29, "control": 29, "shift": 42, "alt": 56, "super": 125,
    "Control_L": 29, "Shift_L": 42, "Alt_L": 56, "Super_L": 125, "Control_R": 97,
}
NAMED_CODES = {
    "Escape": 1, "BackSpace": 14, "Tab": 15, "Return": 28, "space": 57, "Caps_Lock": 58,
    "Num_Lock": 69, "Home": 102, "Up": 103, "Left": 105, "Right": 106, "End": 107, "Down": 108,
    "Delete": 111, "minus": 12, "equal": 13, "bracketleft": 26, "bracketright": 27,
    "semicolon": 39, "apostrophe": 40, "grave": 41, "backslash": 43, "comma": 51, "period": 52,
    "slash": 53,
}
LETTER_ROWS = ((16, "qwertyuiop"), (30, "asdfghjkl"), (44, "zxcvbnm"))
LETTER_CODES = {letter: first + i for first, row in LETTER_ROWS for i, letter in enumerate(row)}
DIGIT_CODES = {digit: 2 + i for i, digit in enumerate("1234567890")}
# Characters typed as one key on a US layout, and those that need Shift with it.
PLAIN_CHARACTERS = {" ": "space", "\n": "Return", "\t": "Tab", "-": "minus", "=": "equal",
                    "[": "bracketleft", "]": "bracketright", ";": "semicolon", "'": "apostrophe",
                    "`": "grave", "\\": "backslash", ",": "comma", ".": "period", "/": "slash"}
# The standard keymap's real modifiers: Shift, Lock, Control, Mod1 (Alt), Mod2 (Num Lock),
# Mod4 (Super), by key code.
MODIFIER_MASKS = {42: 0x1, 54: 0x1, 29: 0x4, 97: 0x4, 56: 0x8, 100: 0x8, 125: 0x40}
LOCK_MASKS = {58: 0x2, 69: 0x10}
SHIFTED_CHARACTERS = dict(zip('!@#$%^&*()_+{}:"~|<>?', "1234567890-=[];'`\\,./"))


def key_code(name):
    """The evdev code of one key name: a modifier, a named key, a letter or a digit."""
    for table in (MODIFIER_CODES, NAMED_CODES, DIGIT_CODES):
        if name in table:
            return table[name]
    if len(name) == 1 and name.lower() in LETTER_CODES:
        return LETTER_CODES[name.lower()]
    raise ValueError(f"no evdev code known for the key {name!r}")


def combo_codes(combo):
    """"ctrl+alt+c" -> [29, 56, 46]: the modifiers in order, the key last."""
    return [key_code(name) for name in combo.split("+")]


def character_combo(character):
    """The combo that types one character on a US layout ("A" -> "shift+a")."""
    if character in string.ascii_lowercase or character in string.digits:
        return character
    if character in string.ascii_uppercase:
        return f"shift+{character.lower()}"
    if character in PLAIN_CHARACTERS:
        return PLAIN_CHARACTERS[character]
    if character in SHIFTED_CHARACTERS:
        base = SHIFTED_CHARACTERS[character]
        return "shift+" + PLAIN_CHARACTERS.get(base, base)
    raise ValueError(f"cannot type {character!r} on a US layout")


class EvdevKeyboard:
    """Presses and releases keys by evdev code; subclasses implement emit() and flush()."""

    def __init__(self):
        self.held = []

    def emit(self, code, pressed):
        raise NotImplementedError

    def flush(self):
        """Hands what was emitted to the reader."""

    def down(self, *names):
        for name in names:
            code = key_code(name)
            self.emit(code, True)
            self.held.append(code)
        self.flush()

    def up(self, *names):
        for name in names:
            code = key_code(name)
            self.emit(code, False)
            if code in self.held:
                self.held.remove(code)
        self.flush()

    def key(self, *combos, delay_ms=12):
        """Presses each combo and lets it go (keys up in reverse order), delay_ms apart."""
        for index, combo in enumerate(combos):
            if index:
                time.sleep(delay_ms / 1000)
            codes = combo_codes(combo)
            for code in codes:
                self.emit(code, True)
            for code in reversed(codes):
                self.emit(code, False)
            self.flush()

    def burst(self, combo, last_key_held_ms=0):
        """All keys of combo down at once, the modifiers up first, the last key after
        last_key_held_ms: a shortcut as macro tools send it."""
        *modifiers, last = combo_codes(combo)
        for code in (*modifiers, last):
            self.emit(code, True)
        for code in modifiers:
            self.emit(code, False)
        self.flush()
        time.sleep(last_key_held_ms / 1000)
        self.emit(last, False)
        self.flush()

    def type(self, text, delay_ms=12):
        self.key(*[character_combo(character) for character in text], delay_ms=delay_ms)

    def release_all(self):
        """Lets go every key a failed test left down."""
        for code in reversed(self.held):
            self.emit(code, False)
        self.held.clear()
        self.flush()


class ScriptedKeyboard(EvdevKeyboard):
    """Writes input_event records into a FIFO, as a kernel keyboard device delivers them.

    The FIFO is opened for reading and writing, so writing never blocks or fails while the
    reader (Pastiq) is between runs: the kernel keeps up to 64 KiB until the next one reads.
    """

    def __init__(self, fifo_path):
        super().__init__()
        self.path = fifo_path
        if not os.path.exists(fifo_path):
            os.mkfifo(fifo_path, 0o600)
        self.fd = os.open(fifo_path, os.O_RDWR | os.O_CLOEXEC)
        self.pending = bytearray()

    def close(self):
        os.close(self.fd)

    def emit(self, code, pressed):
        seconds, fraction = divmod(time.clock_gettime_ns(time.CLOCK_MONOTONIC), 1_000_000_000)
        microseconds = fraction // 1000
        self.pending += INPUT_EVENT.pack(seconds, microseconds, EV_KEY, code, int(pressed))
        self.pending += INPUT_EVENT.pack(seconds, microseconds, EV_SYN, SYN_REPORT, 0)

    def flush(self):
        os.write(self.fd, bytes(self.pending))
        self.pending.clear()

    def drain(self):
        """Takes every record no reader has taken yet, as (type, code, value): one Pastiq's
        leftovers must never reach the next."""
        data = b""
        os.set_blocking(self.fd, False)
        try:
            while chunk := os.read(self.fd, 65536):
                data += chunk
        except BlockingIOError:
            pass
        finally:
            os.set_blocking(self.fd, True)
        offsets = range(0, len(data), INPUT_EVENT.size)
        return [INPUT_EVENT.unpack_from(data, offset)[2:] for offset in offsets]


class SeatKeyboard(EvdevKeyboard):
    """The seat's own keyboard: keys go to the focused application without passing Pastiq."""

    def __init__(self, socket_path):
        super().__init__()
        self.device = VirtualKeyboard(socket_path)
        self.depressed = {}
        self.locked = 0

    def close(self):
        self.device.close()

    def emit(self, code, pressed):
        self.device.emit(code, pressed)
        if code in MODIFIER_MASKS:
            if pressed:
                self.depressed[code] = MODIFIER_MASKS[code]
            else:
                self.depressed.pop(code, None)
        elif code in LOCK_MASKS and pressed:
            self.locked ^= LOCK_MASKS[code]
        else:
            return
        depressed = 0
        for mask in self.depressed.values():
            depressed |= mask
        self.device.modifiers(depressed, self.locked)

    def flush(self):
        self.device.sync()
