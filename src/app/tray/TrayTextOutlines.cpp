#include "app/tray/TrayTextOutlines.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextLayout>
#include <algorithm>

namespace pastiq {

namespace {

// Texts of the icon at its six sizes, the message mark's included, with room to spare.
constexpr int kFittedCapacity = 64;
// Digits and a few letters, in the two fonts each of the six sizes uses.
constexpr int kGlyphCapacity = 512;

QString number(qreal value) {
    return QString::number(value, 'g', 17);
}

// Largest pixel size at which `text` fits the box, bold.
QFont fittedFont(const QString& text, const QSizeF& box) {
    QFont font;
    font.setBold(true);
    font.setPixelSize(100);
    const QSizeF measured = QFontMetricsF(font).tightBoundingRect(text).size();
    const qreal scale =
        std::min(box.width() / std::max(measured.width(), 1.0), box.height() / 100.0);
    font.setPixelSize(std::max(1, static_cast<int>(100 * scale)));
    return font;
}

}  // namespace

TrayTextOutlines::TrayTextOutlines() : fitted_(kFittedCapacity), glyphs_(kGlyphCapacity) {}

const TrayTextOutlines::Fitted& TrayTextOutlines::fitted(const QString& text, const QRectF& box) {
    const QString key = number(box.x()) + QLatin1Char(',') + number(box.y()) + QLatin1Char(',') +
                        number(box.width()) + QLatin1Char(',') + number(box.height()) +
                        QLatin1Char(':') + text;
    if (const Fitted* known = fitted_.object(key)) {
        return *known;
    }
    const QFont font = fittedFont(text, box.size());
    const QRectF bounds = QFontMetricsF(font).tightBoundingRect(text);
    const QPointF origin(box.center().x() - bounds.center().x(),
                         box.center().y() - bounds.center().y());
    auto* made = new Fitted{outline(origin, font, text), font.pixelSize()};
    fitted_.insert(key, made);  // the cache owns it from here
    return *made;
}

// Laid out as addText lays the text out; the glyphs' outlines are placed where it would load
// them, relative to the baseline.
QPainterPath TrayTextOutlines::outline(const QPointF& baseline, const QFont& font,
                                       const QString& text) {
    QTextLayout layout(text, font);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    QPainterPath path;
    if (!line.isValid()) {
        return path;
    }
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            const QPointF at = baseline + positions[i] - QPointF(0, line.ascent());
            path.addPath(glyph(run.rawFont(), indexes[i]).translated(at));
        }
    }
    return path;
}

QPainterPath TrayTextOutlines::glyph(const QRawFont& font, quint32 index) {
    const QString key = font.familyName() + QLatin1Char(':') + font.styleName() + QLatin1Char(':') +
                        number(font.pixelSize()) + QLatin1Char(':') + QString::number(index);
    if (const QPainterPath* known = glyphs_.object(key)) {
        return *known;
    }
    const QPainterPath loaded = font.pathForGlyph(index);
    glyphs_.insert(key, new QPainterPath(loaded));
    return loaded;
}

}  // namespace pastiq
