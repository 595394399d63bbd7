"""`pastiq start|end|toggle|status` control the running Pastiq over the session bus."""

import json
import time

from pastiq_e2e.case import DesktopTestCase, main
from pastiq_e2e.pastiq import Pastiq
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
        self.assertEqual((result.returncode, result.stdout.strip()), (0, '{"session":null}'))

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
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertRegex(result.stderr, r"Copy too large to queue: at least \d+ bytes of text")
        self.assertIsNone(self.pastiq.status())

    def test_end_without_a_session_leaves_the_clipboard_alone(self):
        self.clipboard.set("keep me")
        self.assertEqual(self.pastiq.cli("end").returncode, 0)
        self.assertEqual(self.clipboard.text(), "keep me")


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
