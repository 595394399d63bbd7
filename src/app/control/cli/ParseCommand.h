#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace pastiq {

// `pastiq parse [--transposed] [FILE]`: parses the text as a copy would be parsed and prints
// one JSON object. Returns the process exit status.
int runParseCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                    std::ostream& err);

}  // namespace pastiq
