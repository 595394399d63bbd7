#!/usr/bin/env python3
"""A Qt Widgets text field (QPlainTextEdit, PyQt6) that reports what the end-to-end tests read.

Usage: qt_text.py STATE_DIR

It speaks the protocol of tk_text.py, so the harness reads and drives both the same way; Qt
names the keys its own way ("Ctrl+V"). state.json also carries "pasted": the text of every
paste in the order Qt inserted it, so a failure tells a lost paste from an empty one.
"""

import sys
import time

from PyQt6.QtCore import QSocketNotifier
from PyQt6.QtGui import QKeySequence, QTextCursor
from PyQt6.QtWidgets import QApplication, QPlainTextEdit

from state_report import ControlFifo, StateReport


class TextTarget(QPlainTextEdit):
    def __init__(self, state_dir):
        super().__init__()
        self.report = StateReport(state_dir)
        self.keys = []
        self.pasted = []
        self.token = None
        self.setWindowTitle("Pastiq e2e Qt text")
        self.setGeometry(40, 40, 640, 400)
        self.textChanged.connect(self.on_changed)
        self.control = ControlFifo(state_dir)
        self.notifier = QSocketNotifier(self.control.fd, QSocketNotifier.Type.Read, self)
        self.notifier.activated.connect(self.on_control)
        self.write_state()

    def insertFromMimeData(self, source):  # noqa: N802 (Qt's name)
        # Read back from the field: asking `source` for its text would fetch the clipboard a
        # second time, which a plain QPlainTextEdit does not do.
        start = self.textCursor().selectionStart()
        super().insertFromMimeData(source)
        self.pasted.append(self.toPlainText()[start:self.textCursor().position()])

    def keyPressEvent(self, event):  # noqa: N802 (Qt's name)
        now = time.monotonic_ns()
        key = QKeySequence(event.keyCombination()).toString()
        self.keys.append(key)
        self.report.log_key(now, key)
        self.write_state()
        super().keyPressEvent(event)

    def on_changed(self):
        now = time.monotonic_ns()
        self.report.log_change(now, len(self.toPlainText()))
        self.write_state()

    def on_control(self):
        for request in self.control.requests():
            self.serve(request)

    def serve(self, request):
        if request["op"] == "set":
            self.blockSignals(True)
            self.setPlainText(request["text"])
            self.blockSignals(False)
            cursor = self.textCursor()
            selection = request.get("select")
            if selection is None:
                cursor.movePosition(QTextCursor.MoveOperation.End)
            else:
                cursor.setPosition(selection[0])
                cursor.setPosition(selection[1], QTextCursor.MoveMode.KeepAnchor)
            self.setTextCursor(cursor)
            self.keys.clear()
            self.pasted.clear()
        self.token = request.get("token")
        self.write_state()

    def write_state(self):
        self.report.write(
            text=self.toPlainText(), keys=self.keys, pasted=self.pasted, token=self.token
        )


def main():
    app = QApplication(sys.argv[:1])
    target = TextTarget(sys.argv[1])
    target.show()
    target.activateWindow()
    app.exec()


if __name__ == "__main__":
    main()
