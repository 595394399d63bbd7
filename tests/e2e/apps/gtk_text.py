#!/usr/bin/env python3
"""A GTK 3 text view that reports what the end-to-end tests read, as a native Wayland client.

Usage: gtk_text.py STATE_DIR   (run with GDK_BACKEND=wayland)

It speaks the protocol of tk_text.py, keys named as Tk names them ("v:Control"), so the harness
reads and drives both the same way. state.json also carries "pasted", the text of every paste
in the order GTK inserted it (a failure then tells a lost paste from an empty one), and
"active", whether the compositor has given the window the keyboard focus.
"""

import sys
import time

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402 (the versions must be chosen first)

from state_report import ControlFifo, StateReport  # noqa: E402

TITLE = "Pastiq e2e GTK text"
MODIFIER_MASKS = (
    (Gdk.ModifierType.SHIFT_MASK, "Shift"),
    (Gdk.ModifierType.CONTROL_MASK, "Control"),
    (Gdk.ModifierType.MOD1_MASK, "Alt"),
    (Gdk.ModifierType.SUPER_MASK | Gdk.ModifierType.MOD4_MASK, "Super"),
)


class TextTarget:
    def __init__(self, state_dir):
        self.report = StateReport(state_dir)
        self.keys = []
        self.pasted = []
        self.last_insert = ""
        self.token = None
        self.serving = False
        self.window = Gtk.Window(title=TITLE)
        self.window.set_default_size(640, 400)
        self.window.connect("destroy", Gtk.main_quit)
        self.window.connect("notify::is-active", lambda *_: self.write_state())
        self.view = Gtk.TextView(wrap_mode=Gtk.WrapMode.CHAR)
        self.buffer = self.view.get_buffer()
        self.buffer.connect("changed", self.on_changed)
        self.buffer.connect_after("insert-text", self.on_inserted)
        self.buffer.connect("paste-done", self.on_paste_done)
        # Connected before the class handlers run, so a key is seen even when it pastes.
        self.view.connect("key-press-event", self.on_key)
        self.window.add(self.view)
        self.control = ControlFifo(state_dir)
        GLib.io_add_watch(self.control.fd, GLib.PRIORITY_DEFAULT, GLib.IO_IN, self.on_control)
        self.window.show_all()
        self.view.grab_focus()
        self.write_state()

    def on_key(self, _view, event):
        now = time.monotonic_ns()
        names = [name for mask, name in MODIFIER_MASKS if event.state & mask]
        key = f"{Gdk.keyval_name(event.keyval)}:{'+'.join(names)}"
        self.keys.append(key)
        self.last_insert = ""
        self.report.log_key(now, key)
        self.write_state()
        return False

    def on_changed(self, _buffer):
        now = time.monotonic_ns()
        if self.serving:
            return
        self.report.log_change(now, self.buffer.get_char_count())
        self.write_state()

    def on_inserted(self, _buffer, _location, text, _length):
        self.last_insert = text

    def on_paste_done(self, _buffer, _clipboard):
        # GTK inserts a paste's text when the clipboard's answer arrives, then reports it done
        # in the same turn, so the last insertion is the paste's own.
        self.pasted.append(self.last_insert)
        self.last_insert = ""
        self.write_state()

    def on_control(self, _fd, _condition):
        for request in self.control.requests():
            self.serve(request)
        return True

    def serve(self, request):
        if request["op"] == "set":
            self.serving = True
            self.buffer.set_text(request["text"])
            self.serving = False
            selection = request.get("select")
            if selection is None:
                self.buffer.place_cursor(self.buffer.get_end_iter())
            else:
                first, last = (self.buffer.get_iter_at_offset(offset) for offset in selection)
                self.buffer.select_range(last, first)
            self.keys.clear()
            self.pasted.clear()
        self.token = request.get("token")
        self.write_state()

    def content(self):
        start, end = self.buffer.get_bounds()
        return self.buffer.get_text(start, end, True)

    def write_state(self):
        self.report.write(
            text=self.content(),
            keys=self.keys,
            pasted=self.pasted,
            active=self.window.is_active(),
            token=self.token,
        )


def main():
    TextTarget(sys.argv[1])
    Gtk.main()


if __name__ == "__main__":
    main()
