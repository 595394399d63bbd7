#include "overlay/PanelCloseButton.h"

#include <QPainter>

#include "overlay/OverlayStyle.h"

namespace pastiq {

PanelCloseButton::PanelCloseButton(QWidget* parent) : QAbstractButton(parent) {
    setObjectName(QStringLiteral("panelClose"));
    setAccessibleName(QStringLiteral("Close"));
    setToolTip(QStringLiteral("End the session"));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

QSize PanelCloseButton::sizeHint() const {
    return {16, 16};
}

void PanelCloseButton::enterEvent(QEnterEvent*) {
    isHovered_ = true;
    update();
}

void PanelCloseButton::leaveEvent(QEvent*) {
    isHovered_ = false;
    update();
}

void PanelCloseButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(OverlayStyle::withOpacity(OverlayStyle::primaryText(),
                                               isHovered_ || isDown() ? 0.28 : 0.12));
    painter.drawEllipse(bounds);
    const double arm = bounds.width() * 0.2;
    const QPointF centre = bounds.center();
    painter.setPen(QPen(OverlayStyle::secondaryText(), 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(-arm, -arm), centre + QPointF(arm, arm));
    painter.drawLine(centre + QPointF(-arm, arm), centre + QPointF(arm, -arm));
}

}  // namespace pastiq
