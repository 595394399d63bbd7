#include "overlay/OverlayStyle.h"

#include <QApplication>

#include "overlay/TextStyle.h"

namespace pastiq {

QFont OverlayStyle::headlineFont() {
    QFont font = QApplication::font();
    font.setBold(true);
    return font;
}

QFont OverlayStyle::bodyFont() {
    return QApplication::font();
}

QFont OverlayStyle::captionFont() {
    return TextStyle::scaled(QApplication::font(), TextStyle::kCaptionScale);
}

QFont OverlayStyle::caption2Font() {
    return TextStyle::scaled(QApplication::font(), TextStyle::kCaption2Scale);
}

QColor OverlayStyle::primaryText() {
    return {0xF2, 0xF2, 0xF5};
}

QColor OverlayStyle::secondaryText() {
    return withOpacity(primaryText(), TextStyle::kSecondaryOpacity);
}

QColor OverlayStyle::tertiaryText() {
    return withOpacity(primaryText(), TextStyle::kTertiaryOpacity);
}

QColor OverlayStyle::accent() {
    // The desktop's highlight colour, as the selection colour of the application palette.
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

QColor OverlayStyle::withOpacity(QColor colour, double opacity) {
    colour.setAlphaF(static_cast<float>(colour.alphaF() * opacity));
    return colour;
}

QColor OverlayStyle::panelBackground(bool translucent) {
    QColor background(0x1E, 0x1E, 0x22);
    if (translucent) {
        background.setAlphaF(0.86F);
    }
    return background;
}

QColor OverlayStyle::separator() {
    return withOpacity(primaryText(), 0.14);
}

QPalette OverlayStyle::panelPalette() {
    QPalette palette = QApplication::palette();
    const QColor background = panelBackground(false);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::Base, background.lighter(130));
        palette.setColor(group, QPalette::AlternateBase, background.lighter(115));
        palette.setColor(group, QPalette::WindowText, primaryText());
        palette.setColor(group, QPalette::Text, primaryText());
        palette.setColor(group, QPalette::ButtonText, primaryText());
        palette.setColor(group, QPalette::Button, background.lighter(140));
        palette.setColor(group, QPalette::PlaceholderText, tertiaryText());
        palette.setColor(group, QPalette::ToolTipBase, background.lighter(160));
        palette.setColor(group, QPalette::ToolTipText, primaryText());
    }
    palette.setColor(QPalette::Disabled, QPalette::WindowText, tertiaryText());
    palette.setColor(QPalette::Disabled, QPalette::Text, tertiaryText());
    return palette;
}

}  // namespace pastiq
