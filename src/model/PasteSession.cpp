#include "model/PasteSession.h"

#include <algorithm>
#include <utility>

#include "model/ClipboardParser.h"

namespace pastiq {

namespace {

SessionChange fieldChange(SessionField field) {
    return SessionChange{field, SessionChange::Kind::replaced, 0};
}

SessionChange itemChange(SessionChange::Kind kind, std::size_t index) {
    return SessionChange{SessionField::items, kind, index};
}

std::optional<Uuid> idOf(const QueueItem* item) {
    if (item == nullptr) {
        return std::nullopt;
    }
    return item->id();
}

QueueItem* findCell(Grid& grid, const Uuid& id) {
    for (GridRow& row : grid) {
        for (QueueItem& cell : row) {
            if (cell.id() == id) {
                return &cell;
            }
        }
    }
    return nullptr;
}

bool isRectangular(const Grid& grid) {
    return std::all_of(grid.begin(), grid.end(),
                       [&](const GridRow& row) { return row.size() == grid.front().size(); });
}

}  // namespace

PasteSession::PasteSession(ParsedClipboard parsed)
    : items_(std::move(parsed.items)),
      sourceKind_(parsed.sourceKind),
      grid_(std::move(parsed.grid)) {}

// Observers hear of every store, also of an equal value, before it happens and right after.
template <typename Store>
void PasteSession::store(const SessionChange& change, Store&& doStore) {
    willChange_.emit(change);
    std::forward<Store>(doStore)();
    didChange_.emit(change);
}

const QueueItem* PasteSession::currentItem() const {
    if (cursorIndex_ < 0 || cursorIndex_ >= static_cast<std::int64_t>(items_.size())) {
        return nullptr;
    }
    return &items_[static_cast<std::size_t>(cursorIndex_)];
}

std::string PasteSession::progressText() const {
    if (items_.empty()) {
        return "0 of 0";
    }
    return std::to_string(cursorIndex_ + 1) + " of " + std::to_string(items_.size());
}

bool PasteSession::isOnLastItem() const {
    return !items_.empty() && cursorIndex_ == static_cast<std::int64_t>(items_.size()) - 1;
}

bool PasteSession::canTranspose() const {
    return sourceKind_.isGrid() && sourceKind_.rows() >= 2 && sourceKind_.cols() >= 2;
}

std::optional<std::size_t> PasteSession::indexOf(const Uuid& id) const {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&](const QueueItem& item) { return item.id() == id; });
    if (found == items_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - items_.begin());
}

void PasteSession::load(ParsedClipboard parsed) {
    store(fieldChange(SessionField::items), [&] { items_ = std::move(parsed.items); });
    grid_ = std::move(parsed.grid);
    store(fieldChange(SessionField::sourceKind), [&] { sourceKind_ = parsed.sourceKind; });
    store(fieldChange(SessionField::isTransposed), [&] { isTransposed_ = false; });
    store(fieldChange(SessionField::cursorIndex), [&] { cursorIndex_ = 0; });
    store(fieldChange(SessionField::isFinished), [&] { isFinished_ = false; });
    nextItemChangedByUser_.emit();
}

void PasteSession::clear() {
    store(fieldChange(SessionField::items), [&] { items_.clear(); });
    grid_.reset();
    store(fieldChange(SessionField::sourceKind), [&] { sourceKind_ = SourceKind::list(); });
    store(fieldChange(SessionField::isTransposed), [&] { isTransposed_ = false; });
    store(fieldChange(SessionField::cursorIndex), [&] { cursorIndex_ = 0; });
}

void PasteSession::advance() {
    if (items_.empty() || cursorIndex_ >= static_cast<std::int64_t>(items_.size()) - 1) {
        return;
    }
    store(fieldChange(SessionField::cursorIndex), [&] { ++cursorIndex_; });
}

void PasteSession::jump(std::int64_t index) {
    if (index < 0 || index >= static_cast<std::int64_t>(items_.size())) {
        return;
    }
    store(fieldChange(SessionField::cursorIndex), [&] { cursorIndex_ = index; });
    store(fieldChange(SessionField::isFinished), [&] { isFinished_ = false; });
    nextItemChangedByUser_.emit();
}

void PasteSession::setTransposed(bool transposed) {
    if (isTransposed_ == transposed || !grid_) {
        return;
    }
    const std::optional<Uuid> currentId = idOf(currentItem());
    store(fieldChange(SessionField::isTransposed), [&] { isTransposed_ = transposed; });
    store(fieldChange(SessionField::items),
          [&] { items_ = ClipboardParser::flattenGrid(*grid_, transposed); });
    const std::optional<std::size_t> sameCell = currentId ? indexOf(*currentId) : std::nullopt;
    const std::int64_t lastIndex =
        std::max<std::int64_t>(static_cast<std::int64_t>(items_.size()) - 1, 0);
    const std::int64_t newCursor =
        sameCell ? static_cast<std::int64_t>(*sameCell) : std::min(cursorIndex_, lastIndex);
    store(fieldChange(SessionField::cursorIndex), [&] { cursorIndex_ = newCursor; });
}

void PasteSession::updateText(const Uuid& itemId, std::string text) {
    const Uuid id = itemId;  // the caller's reference may point into items_
    const std::optional<std::size_t> index = indexOf(id);
    // The grid is updated before anyone hears of the edit, so that a subscriber that switches
    // the paste order while handling the signal rebuilds the queue with the new text.
    if (grid_) {
        if (QueueItem* cell = findCell(*grid_, id)) {
            cell->setText(text);
        }
    }
    if (!index) {
        return;
    }
    store(itemChange(SessionChange::Kind::itemUpdated, *index),
          [&] { items_[*index].setText(std::move(text)); });
    if (static_cast<std::int64_t>(*index) == cursorIndex_) {
        nextItemChangedByUser_.emit();
    }
}

void PasteSession::deleteItem(const Uuid& itemId) {
    // A copy: callers naturally pass items()[i].id(), which the erase below would overwrite.
    const Uuid id = itemId;
    const std::optional<std::size_t> index = indexOf(id);
    if (!index) {
        return;
    }
    const std::optional<Uuid> previousId = idOf(currentItem());
    const auto removed = static_cast<std::int64_t>(*index);
    store(itemChange(SessionChange::Kind::itemRemoved, *index),
          [&] { items_.erase(items_.begin() + removed); });
    removeFromGrid(id);

    const auto count = static_cast<std::int64_t>(items_.size());
    if (count == 0) {
        store(fieldChange(SessionField::cursorIndex), [&] { cursorIndex_ = 0; });
    } else if (removed < cursorIndex_) {
        store(fieldChange(SessionField::cursorIndex), [&] { --cursorIndex_; });
    } else if (cursorIndex_ >= count) {
        store(fieldChange(SessionField::cursorIndex), [&] { cursorIndex_ = count - 1; });
    }
    store(fieldChange(SessionField::isFinished), [&] { isFinished_ = false; });
    if (previousId != idOf(currentItem())) {
        nextItemChangedByUser_.emit();
    }
}

// Keeps the grid in step with a deleted item. A grid that is no longer rectangular (or has no
// cells left) is dropped, and the session goes on as a list in its current order.
void PasteSession::removeFromGrid(const Uuid& id) {
    if (!grid_) {
        return;
    }
    // Edited in place: the grid is not observed, so nobody can see the intermediate state.
    Grid& cells = *grid_;
    for (GridRow& row : cells) {
        const auto cell = std::find_if(row.begin(), row.end(),
                                       [&](const QueueItem& item) { return item.id() == id; });
        if (cell != row.end()) {
            row.erase(cell);
            break;
        }
    }
    std::erase_if(cells, [](const GridRow& row) { return row.empty(); });

    if (!cells.empty() && isRectangular(cells)) {
        const auto rows = static_cast<std::int64_t>(cells.size());
        const auto cols = static_cast<std::int64_t>(cells.front().size());
        store(fieldChange(SessionField::sourceKind),
              [&] { sourceKind_ = SourceKind::grid(rows, cols); });
        if (!canTranspose()) {
            store(fieldChange(SessionField::isTransposed), [&] { isTransposed_ = false; });
        }
        return;
    }
    grid_.reset();
    store(fieldChange(SessionField::sourceKind), [&] { sourceKind_ = SourceKind::list(); });
    store(fieldChange(SessionField::isTransposed), [&] { isTransposed_ = false; });
}

void PasteSession::setCursorIndex(std::int64_t index) {
    const auto count = static_cast<std::int64_t>(items_.size());
    const bool keepsInvariant = count == 0 ? index == 0 : index >= 0 && index < count;
    if (!keepsInvariant) {
        return;
    }
    store(fieldChange(SessionField::cursorIndex), [&] { cursorIndex_ = index; });
}

void PasteSession::setFinished(bool finished) {
    store(fieldChange(SessionField::isFinished), [&] { isFinished_ = finished; });
}

}  // namespace pastiq
