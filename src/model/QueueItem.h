#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/Uuid.h"

namespace pastiq {

// One queued paste. A value type: copies are independent. Only the text can change after
// creation. Row and column are stored without std::optional's padding so that an item costs
// 64 bytes beyond its text's heap buffer.
class QueueItem {
  public:
    QueueItem(Uuid id, std::string text, std::optional<std::int64_t> row = std::nullopt,
              std::optional<std::int64_t> col = std::nullopt);
    // An item with a fresh random id.
    explicit QueueItem(std::string text, std::optional<std::int64_t> row = std::nullopt,
                       std::optional<std::int64_t> col = std::nullopt);

    [[nodiscard]] const Uuid& id() const { return id_; }
    [[nodiscard]] const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    [[nodiscard]] std::optional<std::int64_t> row() const;
    [[nodiscard]] std::optional<std::int64_t> col() const;

    // "R<row+1>C<col+1>" for a grid cell, nothing otherwise.
    [[nodiscard]] std::optional<std::string> cellLabel() const;

    friend bool operator==(const QueueItem&, const QueueItem&) = default;

  private:
    Uuid id_;
    std::string text_;
    std::int64_t row_;
    std::int64_t col_;
};

}  // namespace pastiq
