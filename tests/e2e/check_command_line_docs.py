"""`pastiq --help`, the manual page and the bash completion name the same commands."""

import os
import re
import subprocess
import unittest

from pastiq_e2e import programs
from pastiq_e2e.pastiq import REPO_ROOT, pastiq_binary

MANUAL_PAGE = os.path.join(REPO_ROOT, "docs", "pastiq.1")
BASH_COMPLETION = os.path.join(REPO_ROOT, "data", "completions", "pastiq.bash")
OPTION = re.compile(r"(?<![\w-])--?[a-z][a-z-]*(?![\w])")


def help_words(text):
    """Commands (first word of an indented line) and options of the help text."""
    commands = set(re.findall(r"^  ([a-z]+)\b", text, re.MULTILINE))
    return commands, set(OPTION.findall(text))


def manual_words(source):
    """Commands of the synopsis and every option the page mentions."""
    text = source.replace(r"\-", "-")
    commands = set(re.findall(r"^\.B pastiq ([a-z]+)", text, re.MULTILINE))
    return commands, set(OPTION.findall(re.sub(r"\\f[BIRP]", " ", text)))


class ManualPageTest(unittest.TestCase):
    def test_help_and_manual_page_agree(self):
        if not os.access(pastiq_binary(), os.X_OK):
            self.skipTest(f"no Pastiq program at {pastiq_binary()}")
        usage = subprocess.run([pastiq_binary(), "--help"], capture_output=True, text=True,
                               check=True).stdout
        with open(MANUAL_PAGE, encoding="utf-8") as page:
            manual = manual_words(page.read())
        helped = help_words(usage)
        self.assertEqual(helped[0], manual[0], "commands of --help and of the manual page")
        self.assertEqual(helped[1], manual[1], "options of --help and of the manual page")
        self.assertGreaterEqual(helped[0], {"start", "end", "toggle", "status", "quit", "parse"})


def bash_completions(*words):
    """What the bash completion offers after `pastiq WORDS`, the last word being completed."""
    script = (f"source {BASH_COMPLETION}; COMP_WORDS=(pastiq \"$@\"); "
              "COMP_CWORD=$#; _pastiq; printf '%s\\n' \"${COMPREPLY[@]}\"")
    result = subprocess.run(programs.checked(["bash", "-c", script, "bash", *words]),
                            capture_output=True, text=True, check=True)
    return sorted(filter(None, result.stdout.split("\n")))


class BashCompletionTest(unittest.TestCase):
    def test_completes_commands_options_and_files(self):
        cases = [
            (("",), ["--backend", "--help", "--version", "-h", "end", "parse", "quit", "start",
                    "status", "toggle"]),
            (("--backend", "w"), ["wayland"]),
            (("st",), ["start", "status"]),
            (("start", ""), ["-", "--file"]),
            (("status", "--f"), ["--follow"]),
            (("parse", "--t"), ["--transposed"]),
            (("start", "--file", os.path.join(REPO_ROOT, "docs", "pastiq.")), [MANUAL_PAGE]),
            (("end", ""), []),
        ]
        for words, expected in cases:
            with self.subTest(words=words):
                self.assertEqual(bash_completions(*words), expected)


if __name__ == "__main__":
    unittest.main()
