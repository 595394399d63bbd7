#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <string>

namespace pastiq {

// How an item's text is broken into the at most two lines a row shows. Lines break at word
// boundaries (anywhere inside a word too long for a line) and at the text's own line breaks;
// when more text follows the second line, that line ends in an ellipsis.
class RowTextLayout {
  public:
    static constexpr int maxLines = 2;
    // Two lines never show more than this, so a longer text is only ever laid out in part: a
    // 20 MB item laid out in full would stall the main thread for seconds per layout.
    static constexpr std::size_t shownBytes = 4096;

    // The part of an item's UTF-8 text a row shows: all of it, or its first shownBytes cut at a
    // character boundary and ending in an ellipsis.
    [[nodiscard]] static QString shownText(const std::string& text);

    // The lines to draw, one or two; an empty text is one empty line.
    [[nodiscard]] static QStringList lines(const QString& text, const QFont& font, int width);

    // How many lines (1 or 2) the text takes in `width`.
    [[nodiscard]] static int lineCount(const QString& text, const QFont& font, int width);

  private:
    [[nodiscard]] static QString withEllipsis(const QString& line, const QFont& font, int width);
};

}  // namespace pastiq
