#pragma once

#include <optional>
#include <string>

#include "model/ParsedClipboard.h"
#include "model/PasteSession.h"

namespace pastiq {

// A description of the first broken rule of a parse result, or nothing when it is sound:
// never empty; a grid has its stated rectangular shape, cells know their row and column, and
// the items are its cells row by row; a list has no grid and no coordinates; ids are unique.
std::optional<std::string> parsedInvariantViolation(const ParsedClipboard& parsed);

// A description of the first broken rule of a session, or nothing when it is sound: the cursor
// lies in the queue (0 when empty); a grid is non-empty, rectangular, matches the source kind
// and its cells are the items in the current paste order; without a grid the source is a list
// that is not transposed; ids are unique.
std::optional<std::string> sessionInvariantViolation(const PasteSession& session);

}  // namespace pastiq
