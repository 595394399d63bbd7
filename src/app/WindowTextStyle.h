#pragma once

class QLabel;
class QString;
class QWidget;

namespace pastiq {

// The text styles of Pastiq's ordinary windows (About, onboarding), mapped once onto the
// desktop's own font and colours so the windows read alike: title-2, callout and caption as
// scales of the window font, and the secondary colour as the text colour at reduced opacity.
class WindowTextStyle {
  public:
    static constexpr double kTitle2Scale = 1.55;
    static constexpr double kCalloutScale = 0.93;
    static constexpr double kCaptionScale = 0.85;

    // A plain-text label that wraps inside its width rather than being cut off.
    static QLabel* wrappedLabel(const QString& text, QWidget* parent);
    static void scaleFont(QWidget* widget, double scale, bool bold = false);
    static void makeSecondary(QWidget* widget);
};

}  // namespace pastiq
