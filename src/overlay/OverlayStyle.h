#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

namespace pastiq {

// The overlay's fonts and colours. The panel is always dark, like a heads-up display, so its
// text colours are fixed light tones; only the accent follows the desktop's highlight colour.
// Text styles (see TextStyle): headline (bold system font), body (system font), caption and
// caption2 (the two smaller sizes, caption2 the smallest).
class OverlayStyle {
  public:
    static QFont headlineFont();
    static QFont bodyFont();
    static QFont captionFont();
    static QFont caption2Font();

    static QColor primaryText();
    static QColor secondaryText();
    static QColor tertiaryText();
    static QColor accent();
    static QColor withOpacity(QColor colour, double opacity);

    // Dark translucent where a compositor blends it with what lies behind, opaque otherwise.
    static QColor panelBackground(bool translucent);
    static QColor separator();

    // The palette every overlay widget starts from: light text on the dark panel.
    static QPalette panelPalette();
};

}  // namespace pastiq
