"""A private GNOME desktop for one test class: headless mutter with XWayland on demand.

mutter offers no data-control protocol: Pastiq reaches the clipboard as the X11 CLIPBOARD of
XWayland, which mutter bridges to native Wayland applications. It offers no virtual keyboard
either, and the test machine has no /dev/uinput, so the keys Pastiq passes on go to a socket
(PASTIQ_TEST_KEY_SINK) where apps/mutter_keyboard.py hands them to mutter through its
remote-desktop session, as a keyboard of the seat. Like sway, mutter runs as the unprivileged
user `pastiq-e2e` under root (see sway.py, whose user handling this desktop shares).
"""

import glob
import os
import re

from . import programs
from .apps import APPS_DIR
from .sway import SwayDesktop
from .waiting import wait_until

PUBLIC_DISPLAY = re.compile(r"Using public X11 display (:\d+)")


class MutterDesktop(SwayDesktop):
    """Starts and stops headless mutter, its session bus and its keyboard; `env` is the
    environment for its clients, with XWayland's DISPLAY and XAUTHORITY."""

    def _start_desktop(self):
        self._start_session_bus()
        self._start_mutter()
        self._start_keyboard()

    @property
    def key_sink(self):
        """The socket where Pastiq's passed-on keys reach mutter."""
        return self.path("runtime", "key-sink")

    def _make_run_directory(self):
        self._make_session_directory("pastiq-e2e-gnome-", "GNOME")
        self.hand_over()

    def _start_mutter(self):
        width, height = self.size
        mutter = self.spawn(
            ["mutter", "--headless", "--virtual-monitor", f"{width}x{height}", "--wayland"],
            log_name="mutter.log",
        )
        runtime = self.env["XDG_RUNTIME_DIR"]
        log_path = self.path("logs", "mutter.log")

        def ready():
            if mutter.poll() is not None:
                raise RuntimeError(f"mutter exited with {mutter.returncode}; see {log_path}")
            with open(log_path, encoding="utf-8", errors="replace") as log:
                display = PUBLIC_DISPLAY.search(log.read())
            sockets = [n for n in os.listdir(runtime) if re.fullmatch(r"wayland-\d+", n)]
            auth = glob.glob(os.path.join(runtime, ".mutter-Xwaylandauth.*"))
            return (display.group(1), sockets[0], auth[0]) if display and sockets and auth else None

        display, socket, auth = wait_until(ready, timeout=15, what="mutter's displays")
        self.wayland_socket = os.path.join(runtime, socket)
        self.display = display
        self.env.update({"WAYLAND_DISPLAY": socket, "DISPLAY": display, "XAUTHORITY": auth})

    def _start_keyboard(self):
        self.spawn(
            [programs.SYSTEM_PYTHON, os.path.join(APPS_DIR, "mutter_keyboard.py"), self.key_sink],
            log_name="mutter-keyboard.log",
        )
        wait_until(lambda: os.path.exists(self.key_sink), timeout=30,
                   what="mutter's keyboard to listen")
