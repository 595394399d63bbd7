"""What the test applications share: the state file, the time logs and the control FIFO.

- STATE_DIR/state.json is rewritten atomically with a fresh "seq" on every write.
- STATE_DIR/pastes.log gets "MONOTONIC_NS LENGTH" per change of the text, keys.log
  "MONOTONIC_NS KEY" per key press, both with the time taken first thing in the handler.
- STATE_DIR/control is a FIFO of JSON requests, one a line.
"""

import json
import os


class StateReport:
    def __init__(self, state_dir):
        self.state_dir = state_dir
        self.seq = 0
        self.pastes = open(os.path.join(state_dir, "pastes.log"), "a", buffering=1)
        self.keys = open(os.path.join(state_dir, "keys.log"), "a", buffering=1)

    def log_change(self, monotonic_ns, length):
        self.pastes.write(f"{monotonic_ns} {length}\n")

    def log_key(self, monotonic_ns, key):
        self.keys.write(f"{monotonic_ns} {key}\n")

    def write(self, **state):
        self.seq += 1
        path = os.path.join(self.state_dir, "state.json")
        with open(path + ".tmp", "w", encoding="utf-8") as out:
            json.dump({"seq": self.seq, **state}, out)
        os.replace(path + ".tmp", path)


class ControlFifo:
    def __init__(self, state_dir):
        path = os.path.join(state_dir, "control")
        if not os.path.exists(path):
            os.mkfifo(path)
        # O_RDWR keeps the FIFO open with a writer so EOF never makes it readable for nothing.
        self.fd = os.open(path, os.O_RDWR | os.O_NONBLOCK)
        self.buffer = b""

    def requests(self):
        """The requests that have arrived complete since the last call."""
        try:
            self.buffer += os.read(self.fd, 65536)
        except BlockingIOError:
            return []
        *lines, self.buffer = self.buffer.split(b"\n")
        return [json.loads(line) for line in lines if line.strip()]
