"""Polling instead of fixed sleeps: every wait in the suite ends as soon as its condition holds."""

import time


class WaitTimeout(AssertionError):
    """A condition did not hold in time; the message says what was awaited and what was seen."""


def wait_until(probe, timeout=5.0, interval=0.01, what="condition"):
    """Calls probe() until it returns a truthy value and returns that value.

    Raises WaitTimeout naming `what` and the last value seen when timeout seconds pass first.
    """
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = probe()
        if last:
            return last
        if time.monotonic() >= deadline:
            raise WaitTimeout(f"timed out after {timeout:.1f} s waiting for {what}; last seen: {last!r}")
        time.sleep(interval)


def wait_for_value(read, expected, timeout=5.0, interval=0.01, what="value"):
    """Waits until read() == expected; on timeout the message shows both."""
    seen = []

    def probe():
        seen[:] = [read()]
        return seen[0] == expected

    try:
        wait_until(probe, timeout, interval, what)
    except WaitTimeout:
        raise WaitTimeout(
            f"timed out after {timeout:.1f} s waiting for {what} == {expected!r}; last seen: {seen[0]!r}"
        ) from None
    return expected


def stays(probe, duration, interval=0.02):
    """True when probe() stays truthy for the whole duration (used to show that nothing happens)."""
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        if not probe():
            return False
        time.sleep(interval)
    return bool(probe())


def wait_stable(read, quiet=0.3, timeout=5.0, interval=0.02):
    """Returns read() once it has not changed for `quiet` seconds (a stream has run dry)."""
    deadline = time.monotonic() + timeout
    value = read()
    since = time.monotonic()
    while time.monotonic() < deadline:
        time.sleep(interval)
        current = read()
        if current != value:
            value, since = current, time.monotonic()
        elif time.monotonic() - since >= quiet:
            return value
    raise WaitTimeout(f"still changing after {timeout:.1f} s; last seen: {value!r}")
