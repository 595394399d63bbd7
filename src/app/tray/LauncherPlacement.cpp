#include "app/tray/LauncherPlacement.h"

#include <algorithm>
#include <array>

#include "overlay/OverlayController.h"

namespace pastiq {

namespace {

QRect keptInside(QRect frame, const QRect& area) {
    frame.moveLeft(std::clamp(frame.left(), area.left(),
                              std::max(area.left(), area.right() - frame.width() + 1)));
    frame.moveTop(std::clamp(frame.top(), area.top(),
                             std::max(area.top(), area.bottom() - frame.height() + 1)));
    return frame;
}

}  // namespace

QRect LauncherPlacement::frame(QSize size, const QRect& available,
                               const std::optional<QPoint>& chosen,
                               const std::optional<QRect>& overlay) {
    const QPoint corner(available.right() + 1 - OverlayController::screenMargin - size.width(),
                        available.top() + OverlayController::screenMargin);
    const QRect wanted = keptInside(QRect(chosen.value_or(corner), size), available);
    if (!overlay || !wanted.intersects(*overlay)) {
        return wanted;
    }
    const int alignedRight = overlay->right() + 1 - size.width();
    const std::array<QRect, 3> asides{{
        {QPoint(alignedRight, overlay->bottom() + 1 + kGap), size},
        {QPoint(alignedRight, overlay->top() - kGap - size.height()), size},
        {QPoint(overlay->left() - kGap - size.width(), overlay->top()), size},
    }};
    for (const QRect& aside : asides) {
        if (available.contains(aside)) {
            return aside;
        }
    }
    // An overlay filling the screen leaves no room: the launcher keeps to its place.
    return wanted;
}

}  // namespace pastiq
