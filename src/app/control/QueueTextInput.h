#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "engine/ports/Clipboard.h"

namespace pastiq {

// The text `pastiq start --file FILE` and `pastiq start -` queue ("-" is the input stream),
// read only as far as a copy may be: a text past the size limit comes back as its size, so it
// is never read or sent whole. Nothing when it cannot be read; the message is then on err.
[[nodiscard]] std::optional<ClipboardText> readTextToQueue(const std::string& file,
                                                           std::istream& standardInput,
                                                           std::ostream& err);

}  // namespace pastiq
