"""A misbehaving X client (hostile/, built with Pastiq) and what Pastiq's memory is doing.

The client is found like Pastiq itself: the program PASTIQ_HOSTILE_CLIENT names (CTest sets
it), else the build directory at the top of the repository.
"""

import os
import select
import subprocess
import time
import unittest

from .pastiq import REPO_ROOT

PROGRAM_NAME = "hostile_clipboard"


def hostile_client_binary():
    return os.environ.get("PASTIQ_HOSTILE_CLIENT") or os.path.join(REPO_ROOT, "build", PROGRAM_NAME)


def require_hostile_client():
    if not os.access(hostile_client_binary(), os.X_OK):
        raise unittest.SkipTest(f"no {PROGRAM_NAME} at {hostile_client_binary()} (build the "
                                f"{PROGRAM_NAME} target or set PASTIQ_HOSTILE_CLIENT)")


class HostileClient:
    """One run of the client in one behaviour: huge-property, endless-incr, silent (clipboard
    owners that take the CLIPBOARD on `own()`) or request-flood (starts flooding at once)."""

    def __init__(self, desktop, behaviour, *args):
        self.desktop = desktop
        self.behaviour = behaviour
        self.process = desktop.spawn(
            [hostile_client_binary(), behaviour, *map(str, args)],
            log_name=f"{PROGRAM_NAME}-{behaviour}.log",
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
        )

    def own(self, timeout=5):
        """Takes the CLIPBOARD; returns once the server made the client its owner."""
        self.process.stdin.write(b"own\n")
        self.process.stdin.flush()
        self.wait_for_line(b"owning", timeout)

    def wait_until_asked(self):
        """Returns once Pastiq asked the owner for its text and, for a huge property, once the
        server holds the whole answer: the server is busy with that for a while, and keys
        typed meanwhile would time the server, not Pastiq. Returns the seconds the answer
        took (0 for the other owners)."""
        self.wait_for_line(b"asked")
        asked = time.monotonic()
        if self.behaviour != "huge-property":
            return 0.0
        self.wait_for_line(b"answered")
        return time.monotonic() - asked

    def wait_for_line(self, expected, timeout=5):
        ready, _, _ = select.select([self.process.stdout], [], [], timeout)
        line = self.process.stdout.readline().strip() if ready else b""
        if line != expected:
            raise AssertionError(f"{PROGRAM_NAME} said {line!r} instead of {expected!r} "
                                 f"(exit status {self.process.poll()})")

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=5)
        self.process.stdin.close()
        self.process.stdout.close()
        self.desktop.forget(self.process)


def memory_kib(pid):
    """{"VmHWM": peak resident KiB, "VmRSS": resident KiB} of a running process."""
    values = {}
    with open(f"/proc/{pid}/status", encoding="ascii") as status:
        for line in status:
            name, _, rest = line.partition(":")
            if name in ("VmHWM", "VmRSS"):
                values[name] = int(rest.split()[0])
    return values
