#include "model/QueueItem.h"

#include <limits>
#include <utility>

namespace pastiq {

namespace {

// Grid coordinates are never negative, so the lowest value can stand for "absent" and keep an
// item at 64 bytes: a million-line list must not pay std::optional's padding twice per item.
constexpr std::int64_t kAbsent = std::numeric_limits<std::int64_t>::min();

std::int64_t encode(std::optional<std::int64_t> coordinate) {
    return coordinate.value_or(kAbsent);
}

std::optional<std::int64_t> decode(std::int64_t coordinate) {
    if (coordinate == kAbsent) {
        return std::nullopt;
    }
    return coordinate;
}

}  // namespace

static_assert(sizeof(QueueItem) == 64, "a queued item costs 64 bytes beyond its text");

QueueItem::QueueItem(Uuid id, std::string text, std::optional<std::int64_t> row,
                     std::optional<std::int64_t> col)
    : id_(id), text_(std::move(text)), row_(encode(row)), col_(encode(col)) {}

QueueItem::QueueItem(std::string text, std::optional<std::int64_t> row,
                     std::optional<std::int64_t> col)
    : QueueItem(Uuid::random(), std::move(text), row, col) {}

std::optional<std::int64_t> QueueItem::row() const {
    return decode(row_);
}

std::optional<std::int64_t> QueueItem::col() const {
    return decode(col_);
}

std::optional<std::string> QueueItem::cellLabel() const {
    if (row_ == kAbsent || col_ == kAbsent) {
        return std::nullopt;
    }
    // Appended piece by piece: GCC 12 at -O3 warns falsely about chained operator+.
    std::string label = "R";
    label += std::to_string(row_ + 1);
    label += 'C';
    label += std::to_string(col_ + 1);
    return label;
}

}  // namespace pastiq
