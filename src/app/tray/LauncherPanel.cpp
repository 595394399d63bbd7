#include "app/tray/LauncherPanel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "overlay/OverlayStyle.h"

namespace pastiq {

LauncherPanel::LauncherPanel(WindowSystem& windows)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      windows_(windows),
      isTranslucent_(windows.isCompositing()) {
    setObjectName(QStringLiteral("launcherPanel"));
    setWindowTitle(QStringLiteral("Pastiq Launcher"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Must be decided before the native window exists: it picks an ARGB visual.
    setAttribute(Qt::WA_TranslucentBackground, isTranslucent_);
    setPalette(OverlayStyle::panelPalette());
    setFont(OverlayStyle::headlineFont());
    setCursor(Qt::PointingHandCursor);
}

void LauncherPanel::showState(const QIcon& icon, const QString& title, const QString& toolTip) {
    icon_ = icon;
    title_ = title;
    setToolTip(toolTip);
    resize(sizeHint());
    update();
}

QSize LauncherPanel::sizeHint() const {
    const int side = kIconSize + (2 * kPadding);
    if (title_.isEmpty()) {
        return {side, side};
    }
    return {side + fontMetrics().horizontalAdvance(title_) + kPadding, side};
}

void LauncherPanel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor background = OverlayStyle::panelBackground(isTranslucent_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), isTranslucent_ ? QColor(Qt::transparent) : background);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(OverlayStyle::separator());
    painter.setBrush(background);
    const double cornerRadius = kPadding + 2.0;
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius,
                            cornerRadius);
    icon_.paint(&painter, QRect(kPadding, kPadding, kIconSize, kIconSize));
    if (!title_.isEmpty()) {
        painter.setPen(OverlayStyle::primaryText());
        const QRect textArea = rect().adjusted(kIconSize + (2 * kPadding), 0, -kPadding, 0);
        painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, title_);
    }
}

bool LauncherPanel::event(QEvent* event) {
    // Only the user's drags are remembered, never the panel's own placement.
    if (event->type() == QEvent::Move && isDragged_) {
        Q_EMIT movedByUser(pos());
    }
    const auto* mouse = dynamic_cast<const QMouseEvent*>(event);
    if (mouse == nullptr) {
        return QWidget::event(event);
    }
    switch (mouse->type()) {
        case QEvent::MouseButtonPress:
            isDragged_ = false;
            if (mouse->button() == Qt::LeftButton) {
                startPress(mouse->position().toPoint());
            }
            break;
        case QEvent::MouseMove:
            followPointer(mouse->position().toPoint(), mouse->globalPosition().toPoint());
            break;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton) {
                finishPress();
            }
            break;
        default:
            break;
    }
    return true;
}

void LauncherPanel::startPress(QPoint position) {
    pressedAt_ = position;
}

// The window manager's move starts only once the pointer has moved, so a plain click is never
// swallowed by it.
void LauncherPanel::followPointer(QPoint position, QPoint globalPosition) {
    if (!pressedAt_ ||
        (position - *pressedAt_).manhattanLength() < QApplication::startDragDistance()) {
        return;
    }
    isDragged_ = true;
    const QPoint grabbedAt = *std::exchange(pressedAt_, std::nullopt);
    if (windowHandle() == nullptr || !windowHandle()->startSystemMove()) {
        move(globalPosition - grabbedAt);
    }
}

void LauncherPanel::finishPress() {
    if (std::exchange(pressedAt_, std::nullopt) && !isDragged_) {
        Q_EMIT menuRequested(mapToGlobal(rect().bottomLeft()) + QPoint(0, 1));
    }
}

void LauncherPanel::present(const QRect& frame) {
    isDragged_ = false;
    setGeometry(frame);
    if (!isVisible()) {
        // The window manager drops these states whenever the panel is withdrawn.
        windows_.prepareFloatingPanel(winId());
        show();
    }
}

}  // namespace pastiq
