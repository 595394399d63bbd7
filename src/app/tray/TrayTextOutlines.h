#pragma once

#include <QCache>
#include <QPainterPath>
#include <QRawFont>
#include <QRectF>
#include <QString>

class QFont;

namespace pastiq {

// The tray icon's texts as outlines, each at the largest bold size that fits its box. The icon
// is drawn anew after every paste, at every size, and QPainterPath::addText loads (and hints)
// each glyph's outline from the font every time, which was most of the icon's cost. Here a
// glyph's outline is loaded once per font and size, and a text already fitted into the same
// box (the count of a progress, after every paste) is reused whole.
class TrayTextOutlines {
  public:
    struct Fitted {
        QPainterPath path;  // centred in the box
        int pixelSize = 1;
    };

    TrayTextOutlines();

    [[nodiscard]] const Fitted& fitted(const QString& text, const QRectF& box);
    // The outline QPainterPath::addText(baseline, font, text) makes.
    [[nodiscard]] QPainterPath outline(const QPointF& baseline, const QFont& font,
                                       const QString& text);

  private:
    [[nodiscard]] QPainterPath glyph(const QRawFont& font, quint32 index);

    QCache<QString, Fitted> fitted_;
    QCache<QString, QPainterPath> glyphs_;
};

}  // namespace pastiq
