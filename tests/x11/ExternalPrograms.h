#pragma once

#include <string>

namespace pastiq::testing {

// The programs the X11 tests run come from tests/external-programs.txt, like the end-to-end
// suite's. Returns an empty string when the command's program is listed and installed, else
// the reason it may not run, naming the package to add to scripts/debian-packages.txt.
std::string programProblem(const std::string& command);

}  // namespace pastiq::testing
