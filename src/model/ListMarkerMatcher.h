#pragma once

#include <cstddef>
#include <string_view>

namespace pastiq {

// Recognises a leading bullet or number on one line of a copied list: optional white space,
// then digits followed by "." or ")" or one of "-", "*", "•", then at least one white-space
// character. White space is tab, line feed, form feed, carriage return and the Unicode space,
// line and paragraph separators; a digit is any decimal digit (category Nd). Bytes that are
// not valid UTF-8 are neither. Thread-safe; the character classes are built once per process.
class ListMarkerMatcher {
  public:
    // The byte length of the marker and the white space around it, or 0 when the line does
    // not start with a marker. The item's text is what follows.
    [[nodiscard]] static std::size_t markerLength(std::string_view line);
};

}  // namespace pastiq
