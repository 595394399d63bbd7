"""A private Wayland desktop for one test class: headless sway, a session bus, a seat keyboard.

sway refuses to run as root, so under root (as in CI) every client of this desktop runs as
the unprivileged user `pastiq-e2e`, created on first use; otherwise as the caller. The user is
switched by subprocess itself (setgid, setgroups, setuid before exec), which drops root as
`runuser -u pastiq-e2e` would, while the environment stays exactly the harness's. The harness
itself stays root and reaches the compositor's socket directly (root passes its 0700 folder).

The desktop offers what Pastiq's Wayland backend needs under test: data-control for the
clipboard, the virtual-keyboard protocol for the keys Pastiq passes on, and a keyboard on the
seat from the start (`seat_keyboard`, see wayland_wire.py). No XWayland, no Xvfb: Pastiq's Qt
windows go to Qt's offscreen platform, as they are not under test here.
"""

import os
import pwd
import subprocess
import tempfile

from . import programs
from .apps import APPS_DIR
from .desktop import Desktop
from .evdev_keys import SeatKeyboard
from .pastiq import pastiq_binary
from .waiting import wait_until

TEST_USER = "pastiq-e2e"
SWAY_CONFIG = """\
xwayland disable
default_border none
focus_follows_mouse no
focus_on_window_activation focus
output HEADLESS-1 resolution {width}x{height} position 0 0
"""


def desktop_user():
    """The account the desktop runs as: TEST_USER under root (created when missing), else the
    caller."""
    if os.geteuid() != 0:
        return pwd.getpwuid(os.geteuid())
    try:
        return pwd.getpwnam(TEST_USER)
    except KeyError:
        command = ["/usr/sbin/useradd", "--system", "--create-home", "--shell", "/usr/sbin/nologin"]
        subprocess.run(programs.checked([*command, TEST_USER]), check=True, capture_output=True)
        return pwd.getpwnam(TEST_USER)


def require_reachable_by_others(path):
    """The desktop's user must read the test applications and run Pastiq from the checkout: a
    checkout under /root (mode 0700) would fail later with a puzzling permission error."""
    path = os.path.realpath(path)
    folder = os.path.dirname(path)
    while folder != os.path.dirname(folder):
        if not os.stat(folder).st_mode & 0o001:
            raise RuntimeError(
                f"{TEST_USER} cannot reach {path}: {folder} is closed to other users "
                f"(chmod o+x {folder}, or check the repository out elsewhere)"
            )
        folder = os.path.dirname(folder)
    if not os.stat(path).st_mode & 0o004 and not os.stat(path).st_mode & 0o001:
        raise RuntimeError(f"{TEST_USER} cannot read {path} (chmod o+rX {path})")


class SwayDesktop(Desktop):
    """Starts and stops headless sway and its clients; `env` is the environment for them."""

    def __init__(self, width=1280, height=800):
        super().__init__(width, height)
        self.user = desktop_user()
        self.wayland_socket = None
        self.seat_keyboard = None

    # ----------------------------------------------------------------------------- lifecycle
    def start(self):
        programs.require_all()
        if os.geteuid() == 0:
            for path in (APPS_DIR, pastiq_binary()):
                require_reachable_by_others(path)
        try:
            self._make_run_directory()
            self._start_desktop()
        except BaseException:
            self.stop()
            raise
        return self

    def _start_desktop(self):
        """The compositor and what its clients need, in order."""
        self._start_sway()
        self._start_session_bus()
        self._start_accessibility_bus()
        self.seat_keyboard = SeatKeyboard(self.wayland_socket)

    def stop(self):
        if self.seat_keyboard is not None:
            self.seat_keyboard.close()
            self.seat_keyboard = None
        super().stop()

    def process_options(self):
        if os.geteuid() != 0:
            return {}
        return {"user": self.user.pw_uid, "group": self.user.pw_gid, "extra_groups": []}

    def spawn(self, args, log_name=None, extra_env=None, **kwargs):
        self.hand_over()
        return super().spawn(args, log_name, extra_env, **kwargs)

    def hand_over(self):
        """Gives the run directory to the desktop's user: files the harness wrote since (such
        as Pastiq's preferences) become theirs to read and rewrite."""
        if os.geteuid() != 0:
            return
        for folder, _, files in os.walk(self.root):
            for name in [folder, *(os.path.join(folder, f) for f in files)]:
                try:
                    os.chown(name, self.user.pw_uid, self.user.pw_gid, follow_symlinks=False)
                except FileNotFoundError:  # a state file replaced meanwhile
                    continue

    def swaymsg(self, *command):
        return self.run(["swaymsg", *command], check=False)

    # ----------------------------------------------------------------------------- internals
    def _make_session_directory(self, prefix, desktop, **extra_env):
        """A run directory and the environment of a Wayland session of the desktop's user,
        with the variables this compositor needs besides."""
        self.root = tempfile.mkdtemp(prefix=prefix)
        self.env = self._isolated_environment()
        self.env.update(
            {
                "USER": self.user.pw_name,
                "LOGNAME": self.user.pw_name,
                "XDG_SESSION_TYPE": "wayland",
                "XDG_CURRENT_DESKTOP": desktop,
                "GDK_BACKEND": "wayland",
                "QT_QPA_PLATFORM": "offscreen",
                **extra_env,
            }
        )

    def _make_run_directory(self):
        self._make_session_directory(
            "pastiq-e2e-wl-",
            "sway",
            WLR_BACKENDS="headless",
            WLR_RENDERER="pixman",
            WLR_HEADLESS_OUTPUTS="1",
            WLR_LIBINPUT_NO_DEVICES="1",
        )
        with open(self.path("sway.conf"), "w", encoding="utf-8") as config:
            width, height = self.size
            config.write(SWAY_CONFIG.format(width=width, height=height))
        self.hand_over()

    def _start_sway(self):
        sway = self.spawn(["sway", "--config", self.path("sway.conf")], log_name="sway.log")
        runtime = self.env["XDG_RUNTIME_DIR"]

        def sockets():
            if sway.poll() is not None:
                log = self.path("logs", "sway.log")
                raise RuntimeError(f"sway exited with {sway.returncode}; see {log}")
            names = os.listdir(runtime)
            display = [n for n in names if n.startswith("wayland-") and not n.endswith(".lock")]
            ipc = [n for n in names if n.startswith("sway-ipc.")]
            return (display[0], ipc[0]) if display and ipc else None

        display, ipc = wait_until(sockets, timeout=10, what="sway's sockets")
        self.wayland_socket = os.path.join(runtime, display)
        self.env["WAYLAND_DISPLAY"] = display
        self.env["SWAYSOCK"] = os.path.join(runtime, ipc)
        wait_until(lambda: self.swaymsg("-t", "get_outputs").returncode == 0, timeout=10,
                   what="sway to answer on its IPC socket")

