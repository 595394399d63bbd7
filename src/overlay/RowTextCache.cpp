#include "overlay/RowTextCache.h"

#include <QPainter>

#include "overlay/RowTextLayout.h"

namespace pastiq {

RowTextCache::RowTextCache() : lines_(capacity), blocks_(capacity) {}

void RowTextCache::useFont(const QFont& font) {
    if (font != font_ || font.resolveMask() != font_.resolveMask()) {
        lines_.clear();
        blocks_.clear();
        font_ = font;
    }
}

QStaticText RowTextCache::laidOut(const QString& text) const {
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.prepare(QTransform(), font_);
    return laid;
}

const QStaticText& RowTextCache::line(const QString& text, const QFont& font) {
    useFont(font);
    if (const QStaticText* known = lines_.object(text)) {
        return *known;
    }
    auto* laid = new QStaticText(laidOut(text));
    lines_.insert(text, laid);  // the cache owns it from here
    return *laid;
}

const std::vector<QStaticText>& RowTextCache::lines(const QString& text, const QFont& font,
                                                    int width) {
    useFont(font);
    const QString key = QString::number(width) + QLatin1Char(':') + text;
    if (const std::vector<QStaticText>* known = blocks_.object(key)) {
        return *known;
    }
    auto* laid = new std::vector<QStaticText>;
    for (const QString& shown : RowTextLayout::lines(text, font_, width)) {
        laid->push_back(laidOut(shown));
    }
    blocks_.insert(key, laid);
    return *laid;
}

void RowTextCache::draw(QPainter& painter, const QRect& box, Qt::Alignment alignment,
                        const QStaticText& text) {
    const QSizeF size = text.size();
    const qreal x =
        alignment.testFlag(Qt::AlignRight) ? box.x() + box.width() - size.width() : box.x();
    painter.drawStaticText(QPointF(x, box.y() + (box.height() - size.height()) / 2), text);
}

}  // namespace pastiq
