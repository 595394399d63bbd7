#include "model/ClipboardParser.h"

#include <cstring>
#include <string>

#include "model/ListMarkerMatcher.h"
#include "model/QuotedGrid.h"

namespace pastiq {

namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kTab = '\t';

// Every CR LF pair becomes one LF, then every remaining CR becomes an LF. Called only for
// text that has a CR, so ordinary Linux text is never copied.
std::string normaliseLineBreaks(std::string_view text) {
    std::string normalised;
    normalised.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t cr = text.find(kCarriageReturn, pos);
        if (cr == std::string_view::npos) {
            normalised.append(text.substr(pos));
            break;
        }
        normalised.append(text.substr(pos, cr - pos));
        normalised.push_back(kLineFeed);
        pos = cr + 1;
        if (pos < text.size() && text[pos] == kLineFeed) {
            ++pos;
        }
    }
    return normalised;
}

// Drops the empty lines after the last and before the first non-empty line. A line is empty
// only when it has no characters, so the result starts and ends with a non-LF byte.
std::string_view trimEmptyEdgeLines(std::string_view text) {
    const std::size_t last = text.find_last_not_of(kLineFeed);
    if (last == std::string_view::npos) {
        return {};
    }
    const std::size_t first = text.find_first_not_of(kLineFeed);
    return text.substr(first, last + 1 - first);
}

std::size_t countByte(std::string_view text, char byte) {
    std::size_t count = 0;
    const char* pos = text.data();
    const char* const end = text.data() + text.size();
    while (pos < end) {
        const void* found = std::memchr(pos, byte, static_cast<std::size_t>(end - pos));
        if (found == nullptr) {
            break;
        }
        ++count;
        pos = static_cast<const char*>(found) + 1;
    }
    return count;
}

// Calls visit(field, index) for every field of text split at separator, empty fields included.
template <typename Visit>
void forEachField(std::string_view text, char separator, Visit visit) {
    std::size_t index = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            visit(text.substr(start), index);
            return;
        }
        visit(text.substr(start, end - start), index);
        start = end + 1;
        ++index;
    }
}

// Every line must have as many cells as the first; then the row and column counts.
std::optional<GridShape> gridShape(std::string_view lines) {
    const std::size_t tabsPerLine = countByte(lines.substr(0, lines.find(kLineFeed)), kTab);
    bool rectangular = true;
    std::size_t rows = 0;
    forEachField(lines, kLineFeed, [&](std::string_view line, std::size_t) {
        rectangular = rectangular && countByte(line, kTab) == tabsPerLine;
        ++rows;
    });
    if (!rectangular) {
        return std::nullopt;
    }
    return GridShape{rows, tabsPerLine + 1};
}

ParsedClipboard parsedGrid(Grid grid, GridShape shape) {
    ParsedClipboard parsed;
    parsed.items = ClipboardParser::flattenGrid(grid, false);
    parsed.sourceKind = SourceKind::grid(static_cast<std::int64_t>(shape.rows),
                                         static_cast<std::int64_t>(shape.cols));
    parsed.grid = std::move(grid);
    return parsed;
}

QueueItem cellItem(std::string text, std::size_t row, std::size_t col) {
    return {Uuid::random(), std::move(text), static_cast<std::int64_t>(row),
            static_cast<std::int64_t>(col)};
}

ParsedClipboard readGrid(std::string_view lines, GridShape shape) {
    Grid grid;
    grid.reserve(shape.rows);
    forEachField(lines, kLineFeed, [&](std::string_view line, std::size_t row) {
        GridRow& cells = grid.emplace_back();
        cells.reserve(shape.cols);
        forEachField(line, kTab, [&](std::string_view cell, std::size_t col) {
            cells.push_back(cellItem(std::string(cell), row, col));
        });
    });
    return parsedGrid(std::move(grid), shape);
}

ParsedClipboard readQuotedGrid(std::string_view lines, GridShape shape) {
    Grid grid;
    grid.reserve(shape.rows);
    auto rows = QuotedGrid::cellsOf(lines);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        GridRow& cells = grid.emplace_back();
        cells.reserve(shape.cols);
        for (std::size_t col = 0; col < rows[row].size(); ++col) {
            cells.push_back(cellItem(std::move(rows[row][col]), row, col));
        }
    }
    return parsedGrid(std::move(grid), shape);
}

ParsedClipboard readList(std::string_view lines) {
    ParsedClipboard parsed;
    parsed.items.reserve(countByte(lines, kLineFeed) + 1);
    forEachField(lines, kLineFeed, [&](std::string_view line, std::size_t) {
        const std::string_view text = line.substr(ListMarkerMatcher::markerLength(line));
        parsed.items.emplace_back(Uuid::random(), std::string(text));
    });
    return parsed;
}

// What parse() reads a text as: its lines without the empty edge lines, and their grid shape
// when they form a grid.
struct Reading {
    std::string_view lines;
    std::optional<GridShape> grid;
    bool isQuoted = false;
};

// `normalised` holds the text when its line breaks had to be rewritten; the reading's lines
// point into it then.
Reading readingOf(std::string_view text, std::string& normalised) {
    Reading reading;
    if (text.find(kCarriageReturn) != std::string_view::npos) {
        normalised = normaliseLineBreaks(text);
        text = normalised;
    }
    // Taken on the whole text, so a single trailing line feed makes one tabbed line a grid.
    const bool hasTab = text.find(kTab) != std::string_view::npos;
    const bool hasLineFeed = text.find(kLineFeed) != std::string_view::npos;
    reading.lines = trimEmptyEdgeLines(text);
    if (reading.lines.empty() || !hasTab || !hasLineFeed) {
        return reading;
    }
    // A spreadsheet's quoted cells, when they make a grid, come first; any other text with quotes
    // reads as it always did.
    if (text.find('"') != std::string_view::npos) {
        if (const auto quoted = QuotedGrid::shapeOf(reading.lines)) {
            reading.grid = quoted;
            reading.isQuoted = true;
            return reading;
        }
    }
    reading.grid = gridShape(reading.lines);
    return reading;
}

}  // namespace

std::optional<ParsedClipboard> ClipboardParser::parse(std::string_view text) {
    std::string normalised;
    const Reading reading = readingOf(text, normalised);
    if (reading.lines.empty()) {
        return std::nullopt;
    }
    if (reading.isQuoted) {
        return readQuotedGrid(reading.lines, *reading.grid);
    }
    if (reading.grid) {
        return readGrid(reading.lines, *reading.grid);
    }
    return readList(reading.lines);
}

std::size_t ClipboardParser::itemCount(std::string_view text) {
    std::string normalised;
    const Reading reading = readingOf(text, normalised);
    if (reading.lines.empty()) {
        return 0;
    }
    if (reading.grid) {
        return reading.grid->rows * reading.grid->cols;
    }
    return countByte(reading.lines, kLineFeed) + 1;
}

std::vector<QueueItem> ClipboardParser::flattenGrid(const Grid& grid, bool transposed) {
    const std::size_t cols = grid.empty() ? 0 : grid.front().size();
    std::vector<QueueItem> items;
    items.reserve(grid.size() * cols);
    if (!transposed) {
        for (const GridRow& row : grid) {
            items.insert(items.end(), row.begin(), row.end());
        }
        return items;
    }
    for (std::size_t col = 0; col < cols; ++col) {
        for (const GridRow& row : grid) {
            // Grids are rectangular; the bound check only keeps a malformed one from reading
            // past a row's end.
            if (col < row.size()) {
                items.push_back(row[col]);
            }
        }
    }
    return items;
}

}  // namespace pastiq
