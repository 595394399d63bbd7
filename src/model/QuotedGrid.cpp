#include "model/QuotedGrid.h"

namespace pastiq {

namespace {

constexpr char kQuote = '"';
constexpr char kTab = '\t';
constexpr char kLineFeed = '\n';

// One cell as the scan found it: its text still with doubled quotes when quoted.
struct RawCell {
    std::string_view text;
    bool isQuoted = false;
    bool endsRow = false;
};

// Walks the cells of a quoted block; each call reads one cell from `pos` on. Nothing when the
// quotes are not a spreadsheet's.
std::optional<RawCell> nextCell(std::string_view lines, std::size_t& pos) {
    RawCell cell;
    std::size_t end = 0;
    if (pos < lines.size() && lines[pos] == kQuote) {
        cell.isQuoted = true;
        std::size_t close = pos + 1;
        while (true) {
            close = lines.find(kQuote, close);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            if (close + 1 < lines.size() && lines[close + 1] == kQuote) {
                close += 2;
                continue;
            }
            break;
        }
        cell.text = lines.substr(pos + 1, close - pos - 1);
        end = close + 1;
        if (end < lines.size() && lines[end] != kTab && lines[end] != kLineFeed) {
            return std::nullopt;
        }
    } else {
        end = lines.find_first_of("\t\n", pos);
        end = end == std::string_view::npos ? lines.size() : end;
        cell.text = lines.substr(pos, end - pos);
    }
    cell.endsRow = end >= lines.size() || lines[end] == kLineFeed;
    pos = end + 1;
    return cell;
}

// Calls visit(cell) for every cell; the shape when the block is a quoted grid.
template <typename Visit>
std::optional<GridShape> scan(std::string_view lines, Visit visit) {
    GridShape shape;
    std::size_t cellsInRow = 0;
    bool anyQuoted = false;
    std::size_t pos = 0;
    while (pos <= lines.size()) {
        const auto cell = nextCell(lines, pos);
        if (!cell) {
            return std::nullopt;
        }
        anyQuoted = anyQuoted || cell->isQuoted;
        visit(*cell);
        ++cellsInRow;
        if (!cell->endsRow) {
            continue;
        }
        if (shape.rows > 0 && cellsInRow != shape.cols) {
            return std::nullopt;
        }
        shape.cols = cellsInRow;
        ++shape.rows;
        cellsInRow = 0;
    }
    if (!anyQuoted || shape.cols < 2) {
        return std::nullopt;
    }
    return shape;
}

std::string unquoted(const RawCell& cell) {
    if (!cell.isQuoted) {
        return std::string(cell.text);
    }
    std::string text;
    text.reserve(cell.text.size());
    for (std::size_t index = 0; index < cell.text.size(); ++index) {
        text.push_back(cell.text[index]);
        if (cell.text[index] == kQuote) {
            ++index;  // the second quote of a doubled pair
        }
    }
    return text;
}

}  // namespace

std::optional<GridShape> QuotedGrid::shapeOf(std::string_view lines) {
    return scan(lines, [](const RawCell&) {});
}

std::vector<std::vector<std::string>> QuotedGrid::cellsOf(std::string_view lines) {
    std::vector<std::vector<std::string>> rows(1);
    scan(lines, [&](const RawCell& cell) {
        rows.back().push_back(unquoted(cell));
        if (cell.endsRow) {
            rows.emplace_back();
        }
    });
    rows.pop_back();
    return rows;
}

}  // namespace pastiq
