"""The applications Pastiq pastes into, with ways to read back what they received."""

import itertools
import json
import os
import signal
import sys

from . import programs
from .waiting import wait_until

APPS_DIR = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "apps")
_tokens = itertools.count(1)
MODIFIER_KEYSYMS = {
    "Control_L", "Control_R", "Shift_L", "Shift_R", "Alt_L", "Alt_R", "Meta_L", "Meta_R",
    "Super_L", "Super_R", "ISO_Level3_Shift",
}


def end_app(desktop, process, timeout=5):
    """Ends an application with SIGTERM, as a session ending would, and forgets it."""
    if process.poll() is None:
        process.terminate()
        process.wait(timeout=timeout)
    desktop.forget(process)


class TkText:
    """The Tk text widget of apps/tk_text.py; its state file is re-read on every query."""

    TITLE = "Pastiq e2e Tk text"
    SCRIPT = "tk_text.py"
    PYTHON = sys.executable

    def __init__(self, desktop, keyboard, name="tk"):
        self.keyboard = keyboard
        self.launch(desktop, name)
        self.window = wait_until(
            lambda: keyboard.find_window(self.TITLE), timeout=10, what=f"{self.TITLE!r} to map"
        )

    def launch(self, desktop, name):
        """Starts the application with its state folder and waits for its first state."""
        self.desktop = desktop
        self.dir = desktop.path(name)
        os.makedirs(self.dir, exist_ok=True)
        self.process = desktop.spawn(
            [self.PYTHON, os.path.join(APPS_DIR, self.SCRIPT), self.dir], log_name=f"{name}.log"
        )
        wait_until(self.state, timeout=10, what=f"{self.SCRIPT} to start")

    def close(self):
        end_app(self.desktop, self.process)

    # -------------------------------------------------------------------------------- reading
    def state(self):
        try:
            with open(os.path.join(self.dir, "state.json"), encoding="utf-8") as source:
                return json.load(source)
        except (FileNotFoundError, json.JSONDecodeError):
            return None

    def text(self):
        return self.state()["text"]

    def keys(self):
        """Every key press the widget received, as "keysym:Modifier+Modifier"."""
        return self.state()["keys"]

    def shortcut_keys(self):
        """The key presses that were not bare modifier keys."""
        return [key for key in self.keys() if key.split(":")[0] not in MODIFIER_KEYSYMS]

    def paste_times_ns(self):
        """CLOCK_MONOTONIC times of the text changes, with the text length after each."""
        return [(int(t), int(n)) for t, n in self._log_lines("pastes.log")]

    def key_times_ns(self):
        """CLOCK_MONOTONIC times of the key presses, with the key as in keys()."""
        return [(int(t), key) for t, key in self._log_lines("keys.log")]

    def _log_lines(self, name):
        with open(os.path.join(self.dir, name), encoding="utf-8") as log:
            # The last line may be read while the application is still writing it.
            lines = log.read().split("\n")[:-1]
        return [line.split(" ", 1) for line in lines if line.strip()]

    # -------------------------------------------------------------------------------- driving
    def set_text(self, text, select=None):
        """Replaces the content, optionally selects [first, last) characters, forgets old keys."""
        self._request({"op": "set", "text": text, "select": select})

    def focus(self):
        self.keyboard.activate(self.window)

    def _request(self, request):
        token = f"t{next(_tokens)}"
        request["token"] = token
        with open(os.path.join(self.dir, "control"), "w", encoding="utf-8") as control:
            control.write(json.dumps(request) + "\n")
        wait_until(
            lambda: (self.state() or {}).get("token") == token,
            timeout=5,
            what=f"the Tk application to serve {request['op']}",
        )


class QtText(TkText):
    """The QPlainTextEdit of apps/qt_text.py, which speaks tk_text.py's protocol."""

    TITLE = "Pastiq e2e Qt text"
    SCRIPT = "qt_text.py"
    # PyQt6 is Debian's, installed for the system interpreter only.
    PYTHON = programs.SYSTEM_PYTHON

    def __init__(self, desktop, keyboard, name="qt"):
        super().__init__(desktop, keyboard, name)

    def describe(self):
        """What the field saw, for a failure message."""
        state = self.state()
        return f"Qt saw {state['keys'].count('Ctrl+V')} Ctrl+V and pasted {state['pasted']}"


class YadDialog:
    """A GTK dialog run by yad; the text it prints when closed with OK is its content."""

    def __init__(self, desktop, keyboard, title, args):
        self.desktop = desktop
        self.keyboard = keyboard
        self.output_path = desktop.path(f"{title.replace(' ', '_')}.out")
        with open(self.output_path, "wb") as output:
            self.process = desktop.spawn(
                ["yad", "--title", title, "--width", "500", "--height", "300", *args],
                log_name="yad.log",
                stdout=output,
            )
        self.window = wait_until(
            lambda: keyboard.find_window(title), timeout=10, what=f"the yad window {title!r}"
        )

    def focus(self):
        self.keyboard.activate(self.window)

    def finish(self):
        """Closes the dialog as OK would (SIGUSR1) and returns the text it printed."""
        self.process.send_signal(signal.SIGUSR1)
        self.process.wait(timeout=5)
        self.desktop.forget(self.process)
        with open(self.output_path, encoding="utf-8") as output:
            return output.read()

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=5)
        self.desktop.forget(self.process)


def yad_entry(desktop, keyboard, text=""):
    """A one-line GTK entry (GtkEntry) pre-filled with text."""
    return YadDialog(desktop, keyboard, "Pastiq e2e GTK entry", ["--entry", "--entry-text", text])


def yad_text_view(desktop, keyboard):
    """An editable GTK text view (GtkTextView)."""
    return YadDialog(desktop, keyboard, "Pastiq e2e GTK text", ["--text-info", "--editable"])


class CalcSheet:
    """A new LibreOffice Calc spreadsheet with a fresh profile, on VCL's own X11 backend (what
    libreoffice-calc brings without recommends). Cells are read back by copying them in Calc
    and reading the clipboard, so nothing but keys and the clipboard is involved."""

    TITLE = "LibreOffice Calc"

    def __init__(self, desktop, keyboard, clipboard):
        self.desktop = desktop
        self.keyboard = keyboard
        self.clipboard = clipboard
        profile = desktop.path("calc-profile")
        self.process = desktop.spawn(
            ["localc", f"-env:UserInstallation=file://{profile}", "--norestore", "--nologo"],
            log_name="calc.log",
            extra_env={"SAL_USE_VCLPLUGIN": "gen"},
        )
        self.window = wait_until(
            lambda: keyboard.find_window(self.TITLE), timeout=60, what="Calc's window to map"
        )

    def close(self):
        # A killed Calc leaves only its profile behind, which the run directory takes along.
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait(timeout=5)
        self.desktop.forget(self.process)

    def go_to_first_cell(self):
        self.keyboard.activate(self.window)
        self.keyboard.key("ctrl+Home")

    def column(self, rows):
        """A1 down to row `rows`, once every key sent before has been handled: Calc takes the
        copy's keys in order, after the pastes still queued. The clipboard is not touched
        before: a paste still queued would read it."""
        return [row[0] for row in self.grid(rows, 1)]

    def grid(self, rows, columns):
        """The cells from A1 on, `rows` by `columns`, row by row; read as column() is."""
        self.go_to_first_cell()
        self.keyboard.key(
            *["shift+Down"] * (rows - 1), *["shift+Right"] * (columns - 1), "ctrl+c", delay_ms=5
        )
        wait_until(self._calc_owns_clipboard, timeout=15, what="Calc's copy")
        self.keyboard.key("Escape")
        return [line.split("\t") for line in self.clipboard.text().split("\n")[:rows]]

    def _calc_owns_clipboard(self):
        targets = self.desktop.run(
            ["xclip", "-selection", "clipboard", "-target", "TARGETS", "-out"], check=False
        )
        return "openoffice" in targets.stdout

    def clear(self):
        """Empties the sheet and leaves the cursor on A1."""
        self.keyboard.activate(self.window)
        self.keyboard.key("ctrl+a", "Delete", "ctrl+Home", delay_ms=5)
