#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "model/ParsedClipboard.h"

namespace pastiq {

// Turns copied text (UTF-8; invalid bytes are tolerated) into a queue: a grid when the text is
// tab-separated with equal cell counts on every row (a spreadsheet's quoted cells, which may hold
// line breaks and tabs, unquoted), otherwise a list with one leading bullet or number stripped
// from each line.
class ClipboardParser {
  public:
    // Nothing when the text has no non-empty line.
    [[nodiscard]] static std::optional<ParsedClipboard> parse(std::string_view text);

    // How many items parse() makes of the text (0 for nothing), found without making them, so
    // a copy too large to queue costs one pass over its text.
    [[nodiscard]] static std::size_t itemCount(std::string_view text);

    // The grid's items row by row, or column by column when transposed.
    [[nodiscard]] static std::vector<QueueItem> flattenGrid(const Grid& grid, bool transposed);
};

}  // namespace pastiq
