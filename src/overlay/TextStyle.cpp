#include "overlay/TextStyle.h"

#include <QLabel>
#include <QPalette>

#include "overlay/OverlayStyle.h"

namespace pastiq {

QFont TextStyle::scaled(QFont font, double scale) {
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * scale);
    } else {
        font.setPixelSize(qMax(8, qRound(font.pixelSize() * scale)));
    }
    return font;
}

QLabel* TextStyle::wrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void TextStyle::scaleFont(QWidget* widget, double scale, bool bold) {
    QFont font = scaled(widget->font(), scale);
    font.setBold(bold);
    widget->setFont(font);
}

void TextStyle::makeSecondary(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(
        QPalette::WindowText,
        OverlayStyle::withOpacity(palette.color(QPalette::WindowText), kSecondaryOpacity));
    widget->setPalette(palette);
}

}  // namespace pastiq
