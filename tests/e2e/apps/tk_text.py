#!/usr/bin/env python3
"""A Tk text widget that reports everything the end-to-end tests need to read back.

Usage: tk_text.py STATE_DIR

- STATE_DIR/state.json is rewritten atomically on every change of the text, every key press
  the widget receives and every answered request: {"seq", "text", "keys", "token"}.
  "keys" lists every key press seen by the widget as "keysym:modifiers", so a test can prove
  that a key never reached the application.
- STATE_DIR/pastes.log gets one line "MONOTONIC_NS LENGTH" per change of the text, with the
  CLOCK_MONOTONIC time taken first thing in the handler (the latency benchmark reads it).
- STATE_DIR/keys.log gets one line "MONOTONIC_NS KEY" per key press, timed the same way.
- STATE_DIR/control is a FIFO of JSON requests, one a line (state_report.py keeps these files):
  {"op": "set", "text": "...", "select": [first, last] | null, "token": "..."}
  {"op": "dump", "token": "..."}
  The state file carries the last answered token, so a test knows its request was served.
"""

import sys
import time
import tkinter as tk

from state_report import ControlFifo, StateReport

MODIFIER_BITS = ((0x1, "Shift"), (0x4, "Control"), (0x8, "Alt"), (0x40, "Super"))


class TextTarget:
    def __init__(self, state_dir):
        self.report = StateReport(state_dir)
        self.keys = []
        self.token = None
        self.root = tk.Tk(className="PastiqE2eTk")
        self.root.title("Pastiq e2e Tk text")
        self.root.geometry("640x400+40+40")
        self.text = tk.Text(self.root, undo=False, wrap="char")
        self.text.pack(fill="both", expand=True)
        self.text.bind("<<Modified>>", self.on_modified)
        # Bound on the widget itself so it runs before (and independently of) the class
        # bindings that paste or copy.
        self.text.bind("<KeyPress>", self.on_key, add=True)
        self.control = ControlFifo(state_dir)
        self.root.createfilehandler(self.control.fd, tk.READABLE, self.on_control)
        self.text.focus_set()
        self.write_state()

    def on_modified(self, _event=None):
        now = time.monotonic_ns()
        if not self.text.edit_modified():
            return
        self.text.edit_modified(False)
        content = self.content()
        self.report.log_change(now, len(content))
        self.write_state()

    def on_key(self, event):
        now = time.monotonic_ns()
        names = [name for bit, name in MODIFIER_BITS if event.state & bit]
        key = f"{event.keysym}:{'+'.join(names)}"
        self.keys.append(key)
        self.report.log_key(now, key)
        self.write_state()

    def on_control(self, _fd, _mask):
        for request in self.control.requests():
            self.serve(request)

    def serve(self, request):
        if request["op"] == "set":
            self.text.delete("1.0", "end")
            self.text.insert("1.0", request["text"])
            self.text.tag_remove("sel", "1.0", "end")
            selection = request.get("select")
            if selection is not None:
                first, last = (f"1.0 + {offset} chars" for offset in selection)
                self.text.tag_add("sel", first, last)
            self.text.mark_set("insert", "end - 1 chars")
            self.keys.clear()
            self.text.edit_modified(False)
        self.token = request.get("token")
        self.write_state()

    def content(self):
        # Tk keeps one newline after the last character; it is not part of the text.
        return self.text.get("1.0", "end - 1 chars")

    def write_state(self):
        self.report.write(text=self.content(), keys=self.keys, token=self.token)


def main():
    target = TextTarget(sys.argv[1])
    target.root.mainloop()


if __name__ == "__main__":
    main()
