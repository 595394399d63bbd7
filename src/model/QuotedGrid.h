#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pastiq {

// The rows and columns of a block read as a grid.
struct GridShape {
    std::size_t rows = 0;
    std::size_t cols = 0;
};

// Tab-separated text as spreadsheets copy it: a cell that holds a tab, a line break or a quote
// is put in double quotes, with each quote inside doubled ("said ""hi"""). Such a block has more
// line breaks than rows, so it only reads as a grid once its quotes are understood.
class QuotedGrid {
  public:
    // The shape when `lines` (line breaks already LF) is a grid with at least one quoted cell
    // and the same number of cells, two or more, on every row; nothing otherwise. A quote that
    // does not open a cell, or one closed before something other than a tab, a line break or the
    // end, is not a spreadsheet's, and the text is not read this way.
    [[nodiscard]] static std::optional<GridShape> shapeOf(std::string_view lines);

    // The cells row by row, unquoted, of lines that shapeOf() accepts.
    [[nodiscard]] static std::vector<std::vector<std::string>> cellsOf(std::string_view lines);
};

}  // namespace pastiq
