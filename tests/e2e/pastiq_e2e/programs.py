"""The external programs the tests may run, read from tests/external-programs.txt.

Every command the harness starts goes through `checked`, so a test cannot run a program the
table does not list, and `require_all` fails a run at start-up, naming the package to add,
when a listed program is not installed.
"""

import functools
import os
import shutil
import subprocess
import sys

TESTS_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TABLE_PATH = os.path.join(TESTS_DIR, "external-programs.txt")
PACKAGE_LIST = os.path.join(os.path.dirname(TESTS_DIR), "scripts", "debian-packages.txt")
MODULE_PREFIX = "python3:"
SYSTEM_PYTHON = "/usr/bin/python3"


class MissingProgram(RuntimeError):
    pass


def read_table(path=TABLE_PATH):
    """{program: package} in the table's order; "python3:NAME" entries name Python modules."""
    table = {}
    with open(path, encoding="utf-8") as source:
        for line in source:
            fields = line.split("#", 1)[0].split()
            if not fields:
                continue
            if len(fields) != 2:
                raise ValueError(f"{path}: expected 'program package', got {line.strip()!r}")
            table[fields[0]] = fields[1]
    return table


@functools.lru_cache(maxsize=None)
def table():
    return read_table()


def missing_message(program, package):
    return f"missing program {program} (package {package}): add {package} to scripts/debian-packages.txt"


def is_installed(program):
    if program.startswith(MODULE_PREFIX):
        module = program[len(MODULE_PREFIX):]
        result = subprocess.run([SYSTEM_PYTHON, "-c", f"import {module}"], capture_output=True)
        return result.returncode == 0
    if os.path.isabs(program):
        return os.access(program, os.X_OK)
    return shutil.which(program) is not None


def missing_programs():
    return [(program, package) for program, package in table().items() if not is_installed(program)]


@functools.lru_cache(maxsize=None)
def require_all():
    """Raises MissingProgram naming every listed program that is not installed."""
    missing = missing_programs()
    if missing:
        raise MissingProgram("\n".join(missing_message(p, pkg) for p, pkg in missing))


def checked(args):
    """Returns args unchanged when its program is the table's, Pastiq's own or this Python."""
    program = args[0]
    if program in table() or program == sys.executable or _is_built_here(program):
        return args
    raise MissingProgram(
        f"the tests may only run programs listed in {TABLE_PATH}; add {program!r} there "
        "with the Debian package that provides it"
    )


def _is_built_here(program):
    """Pastiq's own build outputs, and the programs PASTIQ_BINARY and PASTIQ_HOSTILE_CLIENT
    name (absolute paths only: a bare name is looked up on PATH, never in this repository)."""
    named = {os.environ.get("PASTIQ_BINARY"), os.environ.get("PASTIQ_HOSTILE_CLIENT")} - {None}
    if program in named:
        return True
    if not os.path.isabs(program):
        return False
    repository = os.path.dirname(TESTS_DIR)
    return os.path.realpath(program).startswith(repository + os.sep)
