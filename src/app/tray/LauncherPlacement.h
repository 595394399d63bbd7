#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace pastiq {

// Where the launcher panel goes: where the user last put it, else the overlay's corner (top
// right, the overlay's margin in). While the overlay is up and the two would overlap, the
// launcher steps aside: below the overlay, else above it, else to its left. It always stays
// inside the screen's free area.
struct LauncherPlacement {
    static constexpr int kGap = 8;

    [[nodiscard]] static QRect frame(QSize size, const QRect& available,
                                     const std::optional<QPoint>& chosen,
                                     const std::optional<QRect>& overlay);
};

}  // namespace pastiq
