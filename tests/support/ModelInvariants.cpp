#include "support/ModelInvariants.h"

#include <algorithm>
#include <vector>

#include "model/ClipboardParser.h"

namespace pastiq {

namespace {

std::optional<std::string> duplicateIdViolation(const std::vector<QueueItem>& items) {
    std::vector<Uuid> ids;
    ids.reserve(items.size());
    for (const QueueItem& item : items) {
        ids.push_back(item.id());
    }
    std::sort(ids.begin(), ids.end());
    const auto duplicate = std::adjacent_find(ids.begin(), ids.end());
    if (duplicate != ids.end()) {
        return "id " + duplicate->toString() + " occurs twice";
    }
    return std::nullopt;
}

std::optional<std::string> shapeViolation(const Grid& grid, const SourceKind& kind) {
    if (grid.empty() || grid.front().empty()) {
        return "grid has no cells";
    }
    const std::size_t cols = grid.front().size();
    for (std::size_t row = 0; row < grid.size(); ++row) {
        if (grid[row].size() != cols) {
            return "grid row " + std::to_string(row) + " has " + std::to_string(grid[row].size()) +
                   " cells, the first has " + std::to_string(cols);
        }
    }
    const SourceKind expected =
        SourceKind::grid(static_cast<std::int64_t>(grid.size()), static_cast<std::int64_t>(cols));
    if (kind != expected) {
        return "source kind is " + kind.label() + " but the grid is " + expected.label();
    }
    return std::nullopt;
}

std::optional<std::string> orderViolation(const std::vector<QueueItem>& items, const Grid& grid,
                                          bool transposed) {
    const std::vector<QueueItem> expected = ClipboardParser::flattenGrid(grid, transposed);
    if (items.size() != expected.size()) {
        return "queue has " + std::to_string(items.size()) + " items, the grid " +
               std::to_string(expected.size()) + " cells";
    }
    const auto mismatch = std::mismatch(items.begin(), items.end(), expected.begin());
    if (mismatch.first != items.end()) {
        return "item " + std::to_string(mismatch.first - items.begin()) +
               " differs from the grid cell at its place" +
               (transposed ? " (column order)" : " (row order)");
    }
    return std::nullopt;
}

std::optional<std::string> cellCoordinateViolation(const Grid& grid) {
    for (std::size_t row = 0; row < grid.size(); ++row) {
        for (std::size_t col = 0; col < grid[row].size(); ++col) {
            const QueueItem& cell = grid[row][col];
            if (cell.row() != static_cast<std::int64_t>(row) ||
                cell.col() != static_cast<std::int64_t>(col)) {
                return "cell at row " + std::to_string(row) + ", column " + std::to_string(col) +
                       " is labelled " + cell.cellLabel().value_or("(none)");
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> parsedGridViolation(const ParsedClipboard& parsed) {
    if (auto shape = shapeViolation(*parsed.grid, parsed.sourceKind)) {
        return shape;
    }
    if (parsed.sourceKind.cols() < 2) {
        return "parsed grid has fewer than two columns";
    }
    if (auto coordinates = cellCoordinateViolation(*parsed.grid)) {
        return coordinates;
    }
    return orderViolation(parsed.items, *parsed.grid, false);
}

std::optional<std::string> parsedListViolation(const ParsedClipboard& parsed) {
    if (!parsed.sourceKind.isList()) {
        return "no grid but source kind " + parsed.sourceKind.label();
    }
    const auto placed = std::find_if(parsed.items.begin(), parsed.items.end(), [](const auto& i) {
        return i.row().has_value() || i.col().has_value();
    });
    if (placed != parsed.items.end()) {
        return "list item " + std::to_string(placed - parsed.items.begin()) + " has a cell";
    }
    return std::nullopt;
}

std::optional<std::string> cursorViolation(const PasteSession& session) {
    const auto count = static_cast<std::int64_t>(session.items().size());
    const std::int64_t cursor = session.cursorIndex();
    const bool inRange = count == 0 ? cursor == 0 : cursor >= 0 && cursor < count;
    if (!inRange) {
        return "cursor " + std::to_string(cursor) + " outside a queue of " + std::to_string(count);
    }
    if ((session.currentItem() == nullptr) != (count == 0)) {
        return "current item disagrees with the queue's emptiness";
    }
    return std::nullopt;
}

std::optional<std::string> sessionGridViolation(const PasteSession& session) {
    if (!session.grid()) {
        if (!session.sourceKind().isList()) {
            return "no grid but source kind " + session.sourceKind().label();
        }
        if (session.isTransposed()) {
            return "a list is marked transposed";
        }
        return std::nullopt;
    }
    if (auto shape = shapeViolation(*session.grid(), session.sourceKind())) {
        return shape;
    }
    return orderViolation(session.items(), *session.grid(), session.isTransposed());
}

}  // namespace

std::optional<std::string> parsedInvariantViolation(const ParsedClipboard& parsed) {
    if (parsed.items.empty()) {
        return "a parse result has no items";
    }
    auto violation = parsed.grid ? parsedGridViolation(parsed) : parsedListViolation(parsed);
    if (violation) {
        return violation;
    }
    return duplicateIdViolation(parsed.items);
}

std::optional<std::string> sessionInvariantViolation(const PasteSession& session) {
    if (auto cursor = cursorViolation(session)) {
        return cursor;
    }
    if (auto grid = sessionGridViolation(session)) {
        return grid;
    }
    return duplicateIdViolation(session.items());
}

}  // namespace pastiq
