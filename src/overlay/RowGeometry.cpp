#include "overlay/RowGeometry.h"

#include <QFontMetrics>
#include <algorithm>
#include <array>

#include "model/QueueItem.h"
#include "overlay/OverlayStyle.h"
#include "overlay/RowTextLayout.h"

namespace pastiq {

RowGeometry::RowGeometry()
    : contentHeight_(measuredContentHeight(textLines_, hasCellLabels_)),
      pencilSize_(measuredPencilSize()) {}

RowGeometry::RowGeometry(int textLines, bool hasCellLabels, int itemCount)
    : textLines_(std::clamp(textLines, 1, RowTextLayout::maxLines)),
      hasCellLabels_(hasCellLabels),
      contentHeight_(measuredContentHeight(textLines_, hasCellLabels_)),
      pencilSize_(measuredPencilSize()) {
    // Four digits and more do not fit 22 points; the column widens for the whole queue so
    // every row's text still starts at the same x.
    const QFontMetrics metrics(OverlayStyle::captionFont());
    numberColumn_ = std::max(minimumNumberColumn,
                             metrics.horizontalAdvance(QString::number(std::max(itemCount, 1))));
}

int RowGeometry::measuredContentHeight(int textLines, bool hasCellLabels) {
    const QFontMetrics body(OverlayStyle::bodyFont());
    int height = textLines * body.lineSpacing();
    if (hasCellLabels) {
        height += contentLineSpacing + QFontMetrics(OverlayStyle::caption2Font()).height();
    }
    return std::max(height, editorMinimumHeight);
}

int RowGeometry::slotHeight() const {
    return contentHeight() + 2 * verticalPadding + rowGap;
}

int RowGeometry::measuredPencilSize() {
    return QFontMetrics(OverlayStyle::captionFont()).height();
}

QRect RowGeometry::rowRect(const QRect& slot) const {
    return slot.adjusted(listPadding, rowGap / 2, -listPadding, -(rowGap - rowGap / 2));
}

int RowGeometry::numberColumnWidth() const {
    return numberColumn_;
}

QRect RowGeometry::numberRect(const QRect& row) const {
    return {row.left() + horizontalPadding, row.top(), numberColumn_, row.height()};
}

QRect RowGeometry::pencilRect(const QRect& row) const {
    const int size = pencilSize();
    return {row.right() - horizontalPadding - size + 1, row.center().y() - size / 2, size, size};
}

QRect RowGeometry::textRect(const QRect& row, bool withPencil) const {
    const int left = row.left() + horizontalPadding + numberColumn_ + spacing;
    int right = row.right() - horizontalPadding;
    if (withPencil) {
        right -= pencilSize() + spacing;
    }
    const int height = contentHeight();
    return {left, row.center().y() - height / 2 + 1, std::max(0, right - left + 1), height};
}

QRect RowGeometry::editorRect(const QRect& row) const {
    const QRect text = textRect(row, false);
    const int height = editorMinimumHeight;
    return {text.left(), row.center().y() - height / 2 + 1, text.width(), height};
}

int RowGeometry::textWidthForSlot(int slotWidth) const {
    return textRect(rowRect(QRect(0, 0, slotWidth, slotHeight())), true).width();
}

int RowGeometry::linesNeeded(const std::vector<QueueItem>& items, int textWidth,
                             int measureBudget) {
    const QFont font = OverlayStyle::bodyFont();
    const QFontMetrics metrics(font);
    std::array<int, 128> asciiAdvance{};
    for (std::size_t code = 0; code < asciiAdvance.size(); ++code) {
        asciiAdvance[code] = metrics.horizontalAdvance(QChar(static_cast<char16_t>(code)));
    }
    // One pass per text: a line break means two lines; otherwise an upper bound of its width
    // that costs one table look-up per byte (ASCII from the table, any other character as
    // the font's widest glyph). Only texts that may not fit are measured for real.
    enum class Verdict { fits, mayNotFit, breaksLine };
    const auto judge = [&](const std::string& text) {
        int width = 0;
        for (const char byte : text) {
            const auto code = static_cast<unsigned char>(byte);
            if (code == '\n' || code == '\r') {
                return Verdict::breaksLine;
            }
            if (code < 0x80) {
                width += asciiAdvance[code];
            } else if ((code & 0xC0) != 0x80) {
                width += metrics.maxWidth();
            }
            if (width > textWidth) {
                return Verdict::mayNotFit;  // measuring also finds later line breaks
            }
        }
        return Verdict::fits;
    };
    int measured = 0;
    for (const QueueItem& item : items) {
        const Verdict verdict = judge(item.text());
        if (verdict == Verdict::fits) {
            continue;
        }
        if (verdict == Verdict::breaksLine || ++measured > measureBudget) {
            return 2;
        }
        if (RowTextLayout::lineCount(RowTextLayout::shownText(item.text()), font, textWidth) > 1) {
            return 2;
        }
    }
    return 1;
}

}  // namespace pastiq
