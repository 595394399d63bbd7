#include "app/WindowTextStyle.h"

#include <QLabel>
#include <QPalette>

namespace pastiq {

namespace {

constexpr float kSecondaryOpacity = 0.62F;

}  // namespace

QLabel* WindowTextStyle::wrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void WindowTextStyle::scaleFont(QWidget* widget, double scale, bool bold) {
    QFont font = widget->font();
    // A font set in pixels has no point size to scale.
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * scale);
    } else {
        font.setPixelSize(qRound(font.pixelSize() * scale));
    }
    font.setBold(bold);
    widget->setFont(font);
}

void WindowTextStyle::makeSecondary(QWidget* widget) {
    QPalette palette = widget->palette();
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(kSecondaryOpacity);
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

}  // namespace pastiq
