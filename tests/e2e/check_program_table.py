"""Every package that provides a program of tests/external-programs.txt is installed by the
setup script, so the tests pass on a clean machine and not only where a program was added by
hand."""

import unittest

from pastiq_e2e import programs


def listed_packages(path=programs.PACKAGE_LIST):
    with open(path, encoding="utf-8") as source:
        return {line.split("#", 1)[0].strip() for line in source} - {""}


class ProgramTableTest(unittest.TestCase):
    def test_every_package_of_the_table_is_installed_by_setup(self):
        installed = listed_packages()
        missing = sorted({package for package in programs.table().values()} - installed)
        self.assertEqual(missing, [], "packages of tests/external-programs.txt that "
                         "scripts/debian-packages.txt does not install")

    def test_a_program_outside_the_table_is_refused(self):
        self.assertEqual(programs.checked(["xdotool", "key", "a"])[0], "xdotool")
        with self.assertRaises(programs.MissingProgram):
            programs.checked(["not-a-listed-program"])


if __name__ == "__main__":
    unittest.main()
