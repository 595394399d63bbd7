#pragma once

#include <QFont>

class QLabel;
class QString;
class QWidget;

namespace pastiq {

// Pastiq's text styles, for the overlay and the ordinary windows (About, onboarding) alike, so
// that they read alike: sizes are scales of the desktop's font, and secondary and tertiary text
// is the text colour at reduced opacity.
class TextStyle {
  public:
    static constexpr double kTitle2Scale = 1.55;
    static constexpr double kCalloutScale = 0.93;
    static constexpr double kCaptionScale = 0.85;
    static constexpr double kCaption2Scale = 0.77;
    static constexpr double kSecondaryOpacity = 0.62;
    static constexpr double kTertiaryOpacity = 0.36;

    // `font` at `scale` times its size. A font set in pixels has no point size to scale; it keeps
    // at least 8 pixels.
    [[nodiscard]] static QFont scaled(QFont font, double scale);

    // A plain-text label that wraps inside its width rather than being cut off.
    static QLabel* wrappedLabel(const QString& text, QWidget* parent);
    static void scaleFont(QWidget* widget, double scale, bool bold = false);
    static void makeSecondary(QWidget* widget);
};

}  // namespace pastiq
