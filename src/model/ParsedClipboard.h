#pragma once

#include <optional>
#include <vector>

#include "model/QueueItem.h"
#include "model/SourceKind.h"

namespace pastiq {

using GridRow = std::vector<QueueItem>;
using Grid = std::vector<GridRow>;

// The parser's result: the queue in paste order, what it was read as and, for a grid, the
// same items arranged by row and column.
struct ParsedClipboard {
    std::vector<QueueItem> items;
    SourceKind sourceKind = SourceKind::list();
    std::optional<Grid> grid;

    // No items, a list, no grid: what a session starts from when nothing could be parsed.
    static ParsedClipboard empty() { return {}; }

    friend bool operator==(const ParsedClipboard&, const ParsedClipboard&) = default;
};

}  // namespace pastiq
