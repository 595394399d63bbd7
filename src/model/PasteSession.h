#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/ParsedClipboard.h"
#include "model/Signal.h"

namespace pastiq {

// The observed fields of a PasteSession.
enum class SessionField { items, cursorIndex, isTransposed, sourceKind, isFinished };

// Describes one store into an observed field. For `items`, `kind` tells views whether the whole
// queue is replaced or a single item at `index` is updated or removed, so they can refresh
// only what changed.
struct SessionChange {
    enum class Kind { replaced, itemUpdated, itemRemoved };
    SessionField field;
    Kind kind = Kind::replaced;
    std::size_t index = 0;
};

// One paste run: the queue, the cursor of the next paste, the grid order and the finished flag.
// Every store into an observed field is announced by willChange before the value is stored
// (even when it is equal to the old one) and by didChange right after. nextItemChangedByUser
// fires after user actions that change what the next paste writes. Main thread only.
class PasteSession {
  public:
    explicit PasteSession(ParsedClipboard parsed);
    PasteSession(const PasteSession&) = delete;
    PasteSession& operator=(const PasteSession&) = delete;

    [[nodiscard]] const std::vector<QueueItem>& items() const { return items_; }
    [[nodiscard]] std::int64_t cursorIndex() const { return cursorIndex_; }
    [[nodiscard]] bool isTransposed() const { return isTransposed_; }
    [[nodiscard]] const SourceKind& sourceKind() const { return sourceKind_; }
    [[nodiscard]] bool isFinished() const { return isFinished_; }
    [[nodiscard]] const std::optional<Grid>& grid() const { return grid_; }

    [[nodiscard]] const QueueItem* currentItem() const;  // null when the cursor is outside
    [[nodiscard]] std::string progressText() const;      // "3 of 10", "0 of 0"
    [[nodiscard]] bool isOnLastItem() const;
    [[nodiscard]] bool canTranspose() const;
    [[nodiscard]] std::optional<std::size_t> indexOf(const Uuid& id) const;

    void load(ParsedClipboard parsed);
    void clear();
    void advance();
    void jump(std::int64_t index);
    void setTransposed(bool transposed);
    void updateText(const Uuid& id, std::string text);
    void deleteItem(const Uuid& id);

    // Direct stores made by the session controller's finish behaviour; they fire no
    // nextItemChangedByUser. An out-of-range cursor is ignored to keep the invariants.
    void setCursorIndex(std::int64_t index);
    void setFinished(bool finished);

    Signal<const SessionChange&>& willChange() { return willChange_; }
    Signal<const SessionChange&>& didChange() { return didChange_; }
    Signal<>& nextItemChangedByUser() { return nextItemChangedByUser_; }

  private:
    template <typename Store>
    void store(const SessionChange& change, Store&& doStore);
    void removeFromGrid(const Uuid& id);

    std::vector<QueueItem> items_;
    std::int64_t cursorIndex_ = 0;
    bool isTransposed_ = false;
    SourceKind sourceKind_ = SourceKind::list();
    bool isFinished_ = false;
    std::optional<Grid> grid_;

    Signal<const SessionChange&> willChange_;
    Signal<const SessionChange&> didChange_;
    Signal<> nextItemChangedByUser_;
};

}  // namespace pastiq
