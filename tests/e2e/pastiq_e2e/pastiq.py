"""The Pastiq program under test: started in the private desktop, driven over D-Bus."""

import json
import os
import signal
import subprocess

from . import programs
from .waiting import wait_until

APP_ID = "io.github.pastiq.Pastiq"
REPO_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))


def pastiq_binary():
    """build/pastiq, or the program named by PASTIQ_BINARY (CTest sets it)."""
    return os.environ.get("PASTIQ_BINARY") or os.path.join(REPO_ROOT, "build", "pastiq")


class Pastiq:
    """One running Pastiq. `log()` returns what it wrote to standard error."""

    _runs = 0  # numbers the log files of one test run

    def __init__(self, desktop, binary=None, options=(), extra_env=None):
        self.desktop = desktop
        self.binary = binary or pastiq_binary()
        self.options = list(options)  # for the program's start, not for its commands
        self.extra_env = {"PASTIQ_TEST_HOOKS": "1", **(extra_env or {})}
        self.process = None
        self.log_path = None

    # ----------------------------------------------------------------------------- lifecycle
    def write_preferences(self, **values):
        """Writes Pastiq's preference file before it starts ([General] keys of QSettings)."""
        folder = os.path.join(self.desktop.env["XDG_CONFIG_HOME"], "pastiq")
        os.makedirs(folder, exist_ok=True)
        lines = ["[General]"] + [f"{key}={value}" for key, value in values.items()]
        with open(os.path.join(folder, "pastiq.conf"), "w", encoding="utf-8") as conf:
            conf.write("\n".join(lines) + "\n")

    def start(self, timeout=15):
        self.launch()
        wait_until(self._answers, timeout=timeout, what="Pastiq to answer `pastiq status`")
        return self

    def launch(self):
        """Starts the process without waiting for it to answer."""
        Pastiq._runs += 1
        log_name = f"pastiq-{Pastiq._runs}.log"
        self.log_path = self.desktop.path("logs", log_name)
        self.process = self.desktop.spawn(
            [self.binary, *self.options], log_name=log_name, extra_env=self.extra_env
        )

    def terminate(self, timeout=5):
        """SIGTERM, as a desktop logout would send; returns the exit status."""
        if self.process is None or self.process.poll() is not None:
            return self.process.returncode if self.process else None
        self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(timeout=timeout)
        finally:
            self._reap()

    def kill(self):
        """SIGKILL: Pastiq gets no chance to release anything; the X server must do it."""
        self.process.send_signal(signal.SIGKILL)
        self.process.wait(timeout=5)
        self._reap()

    def _reap(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.desktop.forget(self.process)

    def running(self):
        return self.process is not None and self.process.poll() is None

    def log(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as log:
            return log.read()

    # ---------------------------------------------------------------------------- front ends
    def cli(self, *args, timeout=10):
        """Runs `pastiq ARGS` (the D-Bus front end) in the desktop; returns CompletedProcess."""
        return self.desktop.run([self.binary, *args], timeout=timeout, check=False)

    def status(self):
        """The session part of `pastiq status`: None without a session, else its dict."""
        result = self.cli("status")
        if result.returncode != 0:
            raise AssertionError(f"pastiq status failed ({result.returncode}): {result.stderr}")
        return json.loads(result.stdout)["session"]

    def wait_for_status(self, predicate, timeout=5, what="session status"):
        holder = {}

        def probe():
            holder["last"] = self.status()
            try:
                return predicate(holder["last"])
            except (TypeError, KeyError):  # no session yet, for a predicate that reads one
                return False

        try:
            wait_until(probe, timeout=timeout, interval=0.02, what=what)
        except AssertionError as failure:
            raise AssertionError(f"{failure}; status: {holder.get('last')!r}") from None
        return holder["last"]

    def start_session(self):
        """`pastiq start`: a session from the clipboard, as the tray menu starts one."""
        result = self.cli("start")
        if result.returncode != 0:
            raise AssertionError(f"pastiq start failed: {result.stderr}")
        return self.wait_for_status(lambda s: s is not None, what="a session to start")

    def end_session(self):
        result = self.cli("end")
        if result.returncode != 0:
            raise AssertionError(f"pastiq end failed: {result.stderr}")
        return self.wait_for_status(lambda s: s is None, what="the session to end")

    def stall_main_thread(self, milliseconds):
        """Asks the test hook to block Pastiq's main thread; returns at once."""
        return subprocess.Popen(
            programs.checked([
                "dbus-send", "--session", "--type=method_call", f"--dest={APP_ID}",
                STALL_OBJECT_PATH, f"{STALL_INTERFACE}.{STALL_METHOD}", f"int32:{milliseconds}",
            ]),
            env=self.desktop.env,
        )

    def _answers(self):
        if self.process.poll() is not None:
            raise AssertionError(
                f"Pastiq exited with {self.process.returncode} during start-up:\n{self.log()}"
            )
        result = self.cli("status")
        return result.returncode == 0


# The test-only hook that Pastiq offers under PASTIQ_TEST_HOOKS=1.
STALL_OBJECT_PATH = "/io/github/pastiq/Pastiq/Testing"
STALL_INTERFACE = APP_ID + ".Testing"
STALL_METHOD = "StallMainThread"
