#pragma once

#include <QRect>
#include <vector>

namespace pastiq {

class QueueItem;

// Where the parts of a queue row go. Every row of a queue has the same height, so the list
// lays out a million rows without measuring them: two text lines when any item needs two,
// one otherwise, plus a caption line when the items carry grid cell labels.
class RowGeometry {
  public:
    static constexpr int listPadding = 8;
    static constexpr int rowGap = 4;
    static constexpr int horizontalPadding = 8;
    static constexpr int verticalPadding = 6;
    static constexpr int spacing = 8;
    static constexpr int minimumNumberColumn = 22;
    static constexpr int editorMinimumHeight = 22;
    static constexpr int contentLineSpacing = 2;
    static constexpr double cornerRadius = 8.0;
    static constexpr double borderWidth = 1.5;

    RowGeometry();
    RowGeometry(int textLines, bool hasCellLabels, int itemCount);

    [[nodiscard]] int textLines() const { return textLines_; }
    [[nodiscard]] bool hasCellLabels() const { return hasCellLabels_; }
    // The whole item slot, including the gap to the next row.
    [[nodiscard]] int slotHeight() const;

    [[nodiscard]] QRect rowRect(const QRect& slot) const;
    [[nodiscard]] QRect numberRect(const QRect& row) const;
    [[nodiscard]] QRect pencilRect(const QRect& row) const;
    [[nodiscard]] QRect textRect(const QRect& row, bool withPencil) const;
    [[nodiscard]] QRect editorRect(const QRect& row) const;
    [[nodiscard]] int numberColumnWidth() const;

    // The narrowest text width of a row in a slot `slotWidth` wide (a row with a pencil).
    [[nodiscard]] int textWidthForSlot(int slotWidth) const;

    // 2 when any item needs two lines at `textWidth`, else 1. Short texts are accepted
    // without measuring; at most `measureBudget` texts are measured, and a queue that
    // exhausts it is given two lines, so a million items are judged in a few milliseconds.
    [[nodiscard]] static int linesNeeded(const std::vector<QueueItem>& items, int textWidth,
                                         int measureBudget = 4000);

  private:
    [[nodiscard]] int contentHeight() const { return contentHeight_; }
    [[nodiscard]] int pencilSize() const { return pencilSize_; }
    // Measured once: every row drawn asks for them, several times.
    [[nodiscard]] static int measuredContentHeight(int textLines, bool hasCellLabels);
    [[nodiscard]] static int measuredPencilSize();

    int textLines_ = 1;
    bool hasCellLabels_ = false;
    int numberColumn_ = minimumNumberColumn;
    int contentHeight_;
    int pencilSize_;
};

}  // namespace pastiq
