#pragma once

#include <QCache>
#include <QFont>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <vector>

class QPainter;

namespace pastiq {

// The laid-out texts, in one font, of the rows drawn lately. A row is drawn again on every
// frame that scrolls it into view, and breaking its text into lines and shaping them costs
// several times what drawing them does; the layouts are kept, keyed by what decides them, so
// a row whose text changed is simply laid out anew. A change of font starts afresh.
class RowTextCache {
  public:
    // Enough for the rows of a tall panel several times over.
    static constexpr int capacity = 256;

    RowTextCache();

    // `text` on one line.
    [[nodiscard]] const QStaticText& line(const QString& text, const QFont& font);
    // The lines a row shows of `text` in `width` (see RowTextLayout::lines).
    [[nodiscard]] const std::vector<QStaticText>& lines(const QString& text, const QFont& font,
                                                        int width);

    // Draws `text` in `box` as QPainter::drawText does a single line with `alignment` (left or
    // right, always centred vertically); the painter's font must be the one it was laid out in.
    static void draw(QPainter& painter, const QRect& box, Qt::Alignment alignment,
                     const QStaticText& text);

  private:
    void useFont(const QFont& font);
    [[nodiscard]] QStaticText laidOut(const QString& text) const;

    QFont font_;
    QCache<QString, QStaticText> lines_;
    QCache<QString, std::vector<QStaticText>> blocks_;
};

}  // namespace pastiq
