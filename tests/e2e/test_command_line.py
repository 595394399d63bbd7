"""`pastiq start|end|toggle|status` control the running Pastiq over the session bus."""

import json
import queue
import subprocess
import threading
import time

from pastiq_e2e.case import DesktopTestCase, main
from pastiq_e2e.pastiq import Pastiq
from pastiq_e2e.screen import Screen
from pastiq_e2e.waiting import wait_until


class WithoutPastiqTest(DesktopTestCase):
    start_pastiq = False
    with_tk = False

    def test_every_front_end_exits_with_1_and_a_message_when_no_pastiq_runs(self):
        for command in ("start", "end", "toggle", "status"):
            with self.subTest(command=command):
                result = self.pastiq.cli(command)
                self.assertEqual(result.returncode, 1, result)
                self.assertEqual(result.stdout, "")
                self.assertNotEqual(result.stderr.strip(), "", "the user must be told why")


class FrontEndTest(DesktopTestCase):
    def test_status_without_a_session_prints_null(self):
        result = self.pastiq.cli("status")
        self.assertEqual((result.returncode, result.stdout.strip()), (0, '{"session":null,"backend":"x11"}'))

    def test_start_reports_the_session_and_end_clears_it(self):
        self.clipboard.set("a\tb\tc\nd\te\tf\n")
        result = self.pastiq.cli("start")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.wait_clipboard("a")
        expected = {
            "count": 6, "cursor": 0, "progress": "1 of 6", "kind": "grid",
            "label": "2×3 grid", "transposed": False, "finished": False,
        }
        status = self.pastiq.status()
        self.assertEqual({key: status.get(key) for key in expected}, expected)
        self.paste_into_tk()
        self.wait_tk_text("a")
        status = self.wait_status(lambda s: s["cursor"] == 1)
        self.assertEqual(status["progress"], "2 of 6")
        # One JSON object on one line, for panels that read it.
        raw = self.pastiq.cli("status").stdout
        self.assertEqual(raw.count("\n"), 1, raw)
        self.assertEqual(json.loads(raw)["session"]["count"], 6)

        result = self.pastiq.cli("end")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.wait_status(lambda s: s is None, what="no session after `pastiq end`")
        self.wait_clipboard_cleared()

    def test_start_with_an_empty_clipboard_starts_an_empty_session(self):
        self.clipboard.set("\n\n")
        self.pastiq.cli("start")
        status = self.wait_status(lambda s: s is not None)
        self.assertEqual((status["count"], status["progress"], status["label"]), (0, "0 of 0", "List"))
        self.assertEqual(self.clipboard.text(), "\n\n", "an empty session writes nothing")

    def test_toggle_captures_the_selection_then_ends(self):
        self.tk.set_text("left\nright", select=[0, 10])
        self.tk.focus()
        self.assertEqual(self.pastiq.cli("toggle").returncode, 0)
        status = self.wait_status(lambda s: s["count"] == 2, what="a session from the selection")
        self.assertEqual(status["cursor"], 0)
        self.wait_clipboard("left")
        self.assertEqual(self.pastiq.cli("toggle").returncode, 0)
        self.wait_status(lambda s: s is None, what="the second toggle to end the session")

    def test_start_refuses_a_copy_too_large_to_queue_and_says_why(self):
        self.clipboard.own(b"x" * 110_000_000)
        result = self.pastiq.cli("start")
        self.assertEqual(result.returncode, 3, result.stderr)
        self.assertRegex(result.stderr, r"Copy too large to queue: at least \d+ bytes of text")
        self.assertIsNone(self.pastiq.status())

    def test_end_without_a_session_leaves_the_clipboard_alone(self):
        self.clipboard.set("keep me")
        self.assertEqual(self.pastiq.cli("end").returncode, 0)
        self.assertEqual(self.clipboard.text(), "keep me")


class StartFromTextTest(DesktopTestCase):
    def write_file(self, name, text):
        path = self.desktop.path(name)
        with open(path, "w", encoding="utf-8") as file:
            file.write(text)
        return path

    def test_a_file_or_a_pipe_replaces_the_session_as_a_copy_would(self):
        self.start_list_session("old1\nold2", "old1")
        orders = self.write_file("orders.tsv", "a\tb\nc\td\n")
        result = self.pastiq.cli("start", "--file", orders)
        self.assertEqual(result.returncode, 0, result.stderr)
        status = self.wait_status(lambda s: s["count"] == 4, what="the file's grid")
        self.assertEqual((status["label"], status["cursor"]), ("2×2 grid", 0))
        self.wait_clipboard("a")

        lines = "".join(f"item {n}\n" for n in range(100_000))
        result = self.desktop.run([self.pastiq.binary, "start", "-"], input_text=lines, check=False)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.wait_status(lambda s: s["count"] == 100_000, what="a session of the piped lines")
        self.wait_clipboard("item 0")

    def test_exit_status_says_why_nothing_started(self):
        self.start_list_session("keep\nme", "keep")
        huge = self.desktop.path("huge.txt")
        with open(huge, "wb") as file:
            file.truncate(70_000_000)  # sparse: its size alone refuses it
        blank = self.write_file("blank.txt", "\n\n")
        cases = [
            (["--file", huge], 3, "Copy too large to queue: at least 70000000 bytes of text"),
            (["--file", blank], 1, "nothing to queue"),
            (["--file", self.desktop.path("missing.txt")], 2, "cannot read"),
            (["--file"], 2, "needs a FILE"),
            (["--file", blank, "-"], 2, "one FILE"),
        ]
        for args, expected_status, message in cases:
            with self.subTest(args=args):
                result = self.pastiq.cli("start", *args)
                self.assertEqual(result.returncode, expected_status, result.stderr)
                self.assertIn(message, result.stderr)
        self.assertEqual(self.pastiq.status()["count"], 2, "the running session must stay")


class StatusFollowTest(DesktopTestCase):
    # Where the overlay draws its rows: the pencil of the first row, and the row pitch.
    PENCIL_X, FIRST_ROW_Y, ROW_PITCH = 278, 95, 38

    def follow(self):
        """`pastiq status --follow` in the desktop; its lines, parsed, arrive on a queue."""
        process = self.desktop.spawn(
            [self.pastiq.binary, "status", "--follow"], log_name="follow.log",
            stdout=subprocess.PIPE, text=True,
        )
        self.addCleanup(self.desktop.forget, process)
        self.addCleanup(process.stdout.close)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        lines = queue.Queue()

        def read():
            for line in process.stdout:
                lines.put(json.loads(line)["session"])
            lines.put(EOFError)

        threading.Thread(target=read, daemon=True).start()
        return process, lines

    def wait_line(self, lines, predicate, what):
        """Reads lines until one satisfies predicate; every line before it is returned too."""
        seen = []
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            try:
                status = lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                break
            if status is EOFError:
                break
            seen.append(status)
            try:
                if predicate(status):
                    return seen
            except (TypeError, KeyError):
                pass
        self.fail(f"no status line after {what}; lines: {seen}\n{self.log_tail()}")

    def overlay_row(self, index, x):
        panel = Screen(self.desktop).windows("^Pastiq$", pid=self.pastiq.process.pid)[0]
        return panel, x, self.FIRST_ROW_Y + index * self.ROW_PITCH

    def edit_row(self, index, text):
        Screen(self.desktop).click_in(*self.overlay_row(index, self.PENCIL_X))
        time.sleep(0.3)
        self.keyboard.key("ctrl+a")
        self.keyboard.type(text)
        self.keyboard.key("Return")

    def delete_row(self, index):
        Screen(self.desktop).click_in(*self.overlay_row(index, self.PENCIL_X // 2), button=3)
        time.sleep(0.3)
        self.keyboard.key("Up", "Return")  # Delete, the menu's last entry

    def copy_in_tk(self, text):
        self.tk.set_text(text, select=[0, len(text)])
        self.tk.focus()
        self.keyboard.key("ctrl+c")

    def test_follow_prints_every_change_in_order_and_ends_with_pastiq(self):
        process, lines = self.follow()
        self.wait_line(lines, lambda s: s is None, "following began")
        queue_file = self.desktop.path("queue.txt")
        with open(queue_file, "w", encoding="utf-8") as file:
            file.write("alpha\nbeta\ngamma\n")
        steps = [
            ("start", lambda: self.pastiq.cli("start", "--file", queue_file),
             lambda s: (s["count"], s["cursor"]) == (3, 0)),
            ("paste", self.paste_into_tk, lambda s: s["cursor"] == 1),
            ("step", lambda: self.keyboard.key("ctrl+bracketleft"), lambda s: s["cursor"] == 0),
            ("edit", lambda: self.edit_row(1, "BETA"), lambda s: (s["count"], s["cursor"]) == (3, 0)),
            ("delete", lambda: self.delete_row(2), lambda s: s["count"] == 2),
            ("reload", lambda: self.copy_in_tk("n\ne\ns\nw"), lambda s: s["count"] == 4),
            ("end", lambda: self.pastiq.cli("end"), lambda s: s is None),
        ]
        for name, act, predicate in steps:
            act()
            seen = self.wait_line(lines, predicate, name)
            self.assertEqual(len(seen), 1, f"{name} announced more than once: {seen}")
        self.assertTrue(lines.empty(), f"announced without a change: {lines.queue}")

        self.clipboard.set("x\ny")
        self.pastiq.start_session()
        self.wait_line(lines, lambda s: s["count"] == 2, "a new session")
        self.stop_pastiq()
        self.wait_line(lines, lambda s: s is None, "Pastiq quit")
        self.assertEqual(process.wait(timeout=5), 0)


class LifecycleTest(DesktopTestCase):
    def test_sigterm_ends_the_session_and_clears_the_clipboard(self):
        self.start_list_session("x\ny", "x")
        self.assertEqual(self.pastiq.terminate(), 0, self.log_tail())
        self.wait_clipboard_cleared()
        # Its grabs are gone: Ctrl+[ reaches the application.
        self.tk.focus()
        self.keyboard.key("ctrl+bracketleft")
        wait_until(lambda: "bracketleft:Control" in self.tk.shortcut_keys(), what="Ctrl+[ in Tk")

    def test_a_second_pastiq_makes_the_first_quit(self):
        first = self.pastiq
        second = Pastiq(self.desktop)
        self.addCleanup(second.terminate)
        second.start()
        wait_until(lambda: not first.running(), timeout=5, what="the first Pastiq to quit")
        self.assertEqual(first.process.returncode, 0, "the first Pastiq should quit cleanly")
        self.assertTrue(second.running())
        wait_until(lambda: second.cli("status").returncode == 0, what="the second to answer")
        self.assertIsNone(second.status())

    def test_of_two_pastiqs_started_together_exactly_one_survives(self):
        self.stop_pastiq()
        pair = [Pastiq(self.desktop), Pastiq(self.desktop)]
        for instance in pair:
            self.addCleanup(instance.terminate)
            instance.launch()
        # Past the 1.5 s kill delay, so a wrong verdict would have killed the survivor too.
        time.sleep(2.5)
        self.assertEqual([instance.running() for instance in pair].count(True), 1,
                         "exactly one of two Pastiqs started together should run")
        survivor = next(instance for instance in pair if instance.running())
        wait_until(lambda: survivor.cli("status").returncode == 0, what="the survivor to answer")


if __name__ == "__main__":
    main()
