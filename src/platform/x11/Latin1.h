#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pastiq::x11 {

// The X11 STRING type is ISO 8859-1. Nothing when the UTF-8 text holds a character outside
// Latin-1 (or is not valid UTF-8): such a text is not offered as STRING at all rather than
// served with substitutes.
[[nodiscard]] std::optional<std::string> latin1FromUtf8(std::string_view utf8);
[[nodiscard]] std::string utf8FromLatin1(std::string_view latin1);

}  // namespace pastiq::x11
