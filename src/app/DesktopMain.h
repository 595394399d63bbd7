#pragma once

namespace pastiq {

// Everything `pastiq` does except `parse`: with no arguments the tray program, otherwise the
// D-Bus front ends, --help and --version. Returns the process exit status.
int runDesktop(int argc, char** argv);

}  // namespace pastiq
