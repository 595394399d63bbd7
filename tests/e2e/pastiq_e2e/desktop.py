"""A private desktop for one test module: Xvfb, openbox, a session bus and the AT-SPI bus.

Everything runs with HOME and the XDG folders in a fresh temporary directory, so Pastiq's
preferences, the bus and the display never touch the developer's own session. Every process
started here, and every process the bus activates for it, carries PASTIQ_E2E_RUN in its
environment; teardown ends exactly those, even after a failed test.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time

from . import programs
from .waiting import wait_until

# Variables of the caller's own session that must not leak into the private desktop.
LEAKING_VARIABLES = (
    "DISPLAY",
    "WAYLAND_DISPLAY",
    "XAUTHORITY",
    "DBUS_SESSION_BUS_ADDRESS",
    "AT_SPI_BUS_ADDRESS",
    "SESSION_MANAGER",
    "XDG_SESSION_TYPE",
    "XDG_CURRENT_DESKTOP",
    "XDG_SESSION_ID",
    "NO_AT_BRIDGE",
    "QT_QPA_PLATFORM",
    "GTK_MODULES",
)

AT_SPI_BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


class Desktop:
    """Starts and stops the private X11 desktop; `env` is the environment for its clients."""

    def __init__(self, width=1280, height=800):
        self.size = (width, height)
        self.root = None
        self.env = None
        self.display = None
        self._processes = []

    # ----------------------------------------------------------------------------- lifecycle
    def start(self):
        programs.require_all()
        self.root = tempfile.mkdtemp(prefix="pastiq-e2e-")
        try:
            self.env = self._isolated_environment()
            self._start_xvfb()
            self._start_session_bus()
            self._start_accessibility_bus()
            self._start_window_manager()
            self._configure_keyboard()
        except BaseException:
            self.stop()
            raise
        return self

    def stop(self):
        """Ends every process of this desktop, newest first, then removes the directory."""
        for process in reversed(self._processes):
            _end(process)
        self._processes.clear()
        if self.root:
            _end_marked_processes(self.root)
            if os.environ.get("PASTIQ_E2E_KEEP") != "1":
                shutil.rmtree(self.root, ignore_errors=True)

    # ------------------------------------------------------------------------------- helpers
    def path(self, *parts):
        return os.path.join(self.root, *parts)

    def spawn(self, args, log_name=None, extra_env=None, **kwargs):
        """Starts a client of the desktop; its output goes to a log file in the run directory."""
        env = dict(self.env, **(extra_env or {}))
        log = open(self.path("logs", log_name or os.path.basename(args[0]) + ".log"), "ab")
        process = subprocess.Popen(
            programs.checked(args),
            env=env,
            stdin=kwargs.pop("stdin", subprocess.DEVNULL),
            stdout=kwargs.pop("stdout", log),
            stderr=kwargs.pop("stderr", log),
            start_new_session=True,
            **self.process_options(),
            **kwargs,
        )
        log.close()
        self._processes.append(process)
        return process

    def forget(self, process):
        if process in self._processes:
            self._processes.remove(process)

    def run(self, args, timeout=10, check=True, input_text=None, text=True):
        """Runs a short-lived client and returns its CompletedProcess (text mode by default)."""
        return subprocess.run(
            programs.checked(args),
            env=self.env,
            input=input_text,
            capture_output=True,
            text=text,
            timeout=timeout,
            check=check,
            **self.process_options(),
        )

    def process_options(self):
        """Extra subprocess options for every client (a desktop of another user sets it)."""
        return {}

    # ----------------------------------------------------------------------------- internals
    def _isolated_environment(self):
        env = {k: v for k, v in os.environ.items() if k not in LEAKING_VARIABLES}
        env = {k: v for k, v in env.items() if not k.startswith("XDG_")}
        folders = {
            "HOME": "home",
            "XDG_CONFIG_HOME": "home/.config",
            "XDG_DATA_HOME": "home/.local/share",
            "XDG_CACHE_HOME": "home/.cache",
            "XDG_STATE_HOME": "home/.local/state",
            "XDG_RUNTIME_DIR": "runtime",
        }
        for variable, folder in folders.items():
            os.makedirs(self.path(folder), mode=0o700, exist_ok=True)
            env[variable] = self.path(folder)
        os.makedirs(self.path("logs"), exist_ok=True)
        env.update(
            {
                "PASTIQ_E2E_RUN": self.root,
                "LANG": "C.UTF-8",
                "LC_ALL": "C.UTF-8",
                "XDG_SESSION_TYPE": "x11",
                "QT_QPA_PLATFORM": "xcb",
                # The test reads Pastiq's log lines; they must not go to the host's journal.
                "PASTIQ_LOG": "stderr",
                "GTK_A11Y": "atspi",
                "GDK_BACKEND": "x11",
                # Keeps GTK from waiting on a portal or dconf that the private bus lacks.
                "GSETTINGS_BACKEND": "memory",
                "GTK_USE_PORTAL": "0",
            }
        )
        return env

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        width, height = self.size
        args = [
            "Xvfb",
            "-displayfd",
            str(write_end),
            "-screen",
            "0",
            f"{width}x{height}x24",
            "-nolisten",
            "tcp",
            "-noreset",
            # Lets a client write a 200 MB property in two requests, so a huge clipboard text
            # is on the server in a fraction of Pastiq's read bound (MiB; the server's limit).
            "-maxbigreqsize",
            "127",
        ]
        self.spawn(args, log_name="xvfb.log", pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as announcement:
            number = announcement.readline().strip()
        if not number:
            raise RuntimeError(f"Xvfb did not announce a display; see {self.path('logs', 'xvfb.log')}")
        self.display = ":" + number.decode()
        self.env["DISPLAY"] = self.display

    def _start_session_bus(self):
        bus = self.spawn(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
            log_name="dbus.log",
            stdout=subprocess.PIPE,
        )
        address = bus.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("dbus-daemon did not print its address")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_accessibility_bus(self):
        """Starts the AT-SPI bus so GTK applications register their text fields on it."""
        if not os.path.exists(AT_SPI_BUS_LAUNCHER):
            return
        self.spawn([AT_SPI_BUS_LAUNCHER, "--launch-immediately"], log_name="at-spi.log")
        wait_until(self._accessibility_bus_address, timeout=10, what="the AT-SPI bus")
        self.run(
            [
                "gdbus", "call", "--session", "--dest", "org.a11y.Bus",
                "--object-path", "/org/a11y/bus", "--method",
                "org.freedesktop.DBus.Properties.Set", "org.a11y.Status", "IsEnabled", "<true>",
            ],
            check=False,
        )

    def _accessibility_bus_address(self):
        result = self.run(
            [
                "gdbus", "call", "--session", "--dest", "org.a11y.Bus",
                "--object-path", "/org/a11y/bus", "--method", "org.a11y.Bus.GetAddress",
            ],
            check=False,
        )
        return result.returncode == 0 and "unix:" in result.stdout

    def _start_window_manager(self):
        self.spawn(["openbox", "--sm-disable"], log_name="openbox.log")
        wait_until(self._window_manager_running, timeout=10, what="openbox to manage the screen")

    def _window_manager_running(self):
        result = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
        return "window id" in result.stdout

    def _configure_keyboard(self):
        # A held key must repeat for the auto-repeat tests; the server's own rate applies.
        self.run(["xset", "r", "on"], check=False)


def _end(process, grace=3.0):
    if process.stdout is not None:
        process.stdout.close()
    if process.poll() is not None:
        return
    try:
        os.killpg(process.pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    try:
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait(timeout=grace)


def _end_marked_processes(run_root):
    """SIGKILLs leftovers of this run (bus-activated services) found by their environment mark."""
    mark = f"PASTIQ_E2E_RUN={run_root}".encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as environ:
                if mark in environ.read().split(b"\0"):
                    os.kill(int(entry), signal.SIGKILL)
        except (OSError, ProcessLookupError):
            continue
    time.sleep(0.05)
