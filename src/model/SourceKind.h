#pragma once

#include <cstdint>
#include <string>

namespace pastiq {

// What a copied text was read as: a rectangular grid of tab-separated cells, or a list.
class SourceKind {
  public:
    static SourceKind list() { return SourceKind(); }
    static SourceKind grid(std::int64_t rows, std::int64_t cols) { return {rows, cols}; }

    [[nodiscard]] bool isGrid() const { return isGrid_; }
    [[nodiscard]] bool isList() const { return !isGrid_; }
    [[nodiscard]] std::int64_t rows() const { return rows_; }  // 0 for a list
    [[nodiscard]] std::int64_t cols() const { return cols_; }  // 0 for a list

    // "List", or "3×4 grid" for a 3-row, 4-column grid.
    [[nodiscard]] std::string label() const;

    friend bool operator==(const SourceKind&, const SourceKind&) = default;

  private:
    SourceKind() = default;
    SourceKind(std::int64_t rows, std::int64_t cols) : isGrid_(true), rows_(rows), cols_(cols) {}

    bool isGrid_ = false;
    std::int64_t rows_ = 0;
    std::int64_t cols_ = 0;
};

}  // namespace pastiq
