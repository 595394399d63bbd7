#include "overlay/OverlayPanel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "overlay/OverlayStyle.h"
#include "overlay/PanelCloseButton.h"

namespace pastiq {

namespace {

constexpr int edgeGrabWidth = 5;
constexpr int activationGraceMs = 200;
constexpr double translucentCornerRadius = 10.0;

}  // namespace

OverlayPanel::OverlayPanel(WindowSystem& windows, std::function<void()> onCloseRequested)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      windows_(windows),
      onCloseRequested_(std::move(onCloseRequested)),
      isTranslucent_(windows.isCompositing()),
      layout_(new QVBoxLayout(this)),
      closeButton_(new PanelCloseButton(this)),
      grip_(new QSizeGrip(this)) {
    setObjectName(QStringLiteral("overlayPanel"));
    setWindowTitle(QStringLiteral("Pastiq"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Must be decided before the native window exists: it picks an ARGB visual.
    setAttribute(Qt::WA_TranslucentBackground, isTranslucent_);
    setPalette(OverlayStyle::panelPalette());
    setAutoFillBackground(false);

    auto* titleStrip = new QHBoxLayout;
    titleStrip->setContentsMargins(8, 6, 8, 0);
    titleStrip->addStretch(1);
    titleStrip->addWidget(closeButton_);
    // No minimum size: the user may make the panel as small as they like.
    layout_->setSizeConstraint(QLayout::SetNoConstraint);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addLayout(titleStrip);
    connect(closeButton_, &QAbstractButton::clicked, this, [this] {
        if (onCloseRequested_) {
            onCloseRequested_();
        }
    });
    grip_->setFixedSize(12, 12);
}

OverlayPanel::~OverlayPanel() = default;

void OverlayPanel::setContent(QWidget* content) {
    clearContent();
    content_ = content;
    content->setParent(this);
    layout_->addWidget(content, 1);
    content->show();
    grip_->raise();
}

void OverlayPanel::clearContent() {
    if (content_) {
        layout_->removeWidget(content_);
        content_->hide();
        // Deferred: the content may be on the stack (a row handler ending the session).
        content_->deleteLater();
        content_ = nullptr;
    }
}

void OverlayPanel::showAt(const QRect& frame) {
    setGeometry(frame);
    if (!isVisible()) {
        windows_.prepareFloatingPanel(winId());
        show();
    }
    raise();
}

bool OverlayPanel::acceptsFocus() const {
    const QWindow* window = windowHandle();
    return window != nullptr && !window->flags().testFlag(Qt::WindowDoesNotAcceptFocus);
}

void OverlayPanel::setAcceptsFocus(bool accepts) {
    // Changed on the native window only: changing the widget's flags would unmap the panel.
    if (QWindow* window = windowHandle()) {
        window->setFlag(Qt::WindowDoesNotAcceptFocus, !accepts);
    }
}

void OverlayPanel::takeKeyboardFocus() {
    if (!focusOwner_) {
        const WindowSystem::WindowId owner = windows_.activeWindow();
        focusOwner_ = owner == winId() ? 0 : owner;
    }
    setAcceptsFocus(true);
    activateWindow();
    // Some window managers refuse activation requests from applications; the editor still
    // needs the keys, so the input focus is then set directly.
    QTimer::singleShot(activationGraceMs, this, [this] {
        if (focusOwner_ && !isActiveWindow() && isVisible()) {
            windows_.focusDirectly(winId());
        }
    });
}

void OverlayPanel::returnKeyboardFocus() {
    if (!focusOwner_) {
        return;
    }
    const WindowSystem::WindowId owner = *std::exchange(focusOwner_, std::nullopt);
    setAcceptsFocus(false);
    // When the user has already clicked into another window, the focus is where they want it.
    if (isActiveWindow()) {
        windows_.activate(owner);
    }
}

void OverlayPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintBackground(painter);
}

void OverlayPanel::paintBackground(QPainter& painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor background = OverlayStyle::panelBackground(isTranslucent_);
    if (!isTranslucent_) {
        painter.fillRect(rect(), background);
        painter.setPen(OverlayStyle::separator());
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    } else {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setPen(OverlayStyle::separator());
        painter.setBrush(background);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5),
                                translucentCornerRadius, translucentCornerRadius);
    }
    painter.restore();
}

void OverlayPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    grip_->move(width() - grip_->width(), height() - grip_->height());
    grip_->raise();
}

Qt::Edges OverlayPanel::edgesAt(const QPoint& position) const {
    Qt::Edges edges;
    edges.setFlag(Qt::LeftEdge, position.x() < edgeGrabWidth);
    edges.setFlag(Qt::RightEdge, position.x() >= width() - edgeGrabWidth);
    edges.setFlag(Qt::TopEdge, position.y() < edgeGrabWidth);
    edges.setFlag(Qt::BottomEdge, position.y() >= height() - edgeGrabWidth);
    return edges;
}

// Presses that no child wants reach the panel: dragged from an edge they resize it,
// dragged from elsewhere they move it. The window manager's move or resize starts only once
// the pointer has moved: started on a mere click, it would begin after the button is already
// up and keep the pointer and keyboard grabbed.
void OverlayPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressPosition_ = event->position().toPoint();
    }
}

void OverlayPanel::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_) {
        move(event->globalPosition().toPoint() - *dragOffset_);
        return;
    }
    if (!pressPosition_ || !(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - *pressPosition_).manhattanLength() <
            QApplication::startDragDistance()) {
        return;
    }
    const QPoint pressed = *std::exchange(pressPosition_, std::nullopt);
    QWindow* window = windowHandle();
    const Qt::Edges edges = edgesAt(pressed);
    if (window == nullptr || (edges != Qt::Edges() && window->startSystemResize(edges)) ||
        window->startSystemMove()) {
        return;
    }
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void OverlayPanel::mouseReleaseEvent(QMouseEvent*) {
    pressPosition_.reset();
    dragOffset_.reset();
}

void OverlayPanel::closeEvent(QCloseEvent* event) {
    // The application closing its windows as it quits is let through; a window manager's
    // close request (a spontaneous event) asks to end the session, which hides the panel.
    if (!event->spontaneous()) {
        event->accept();
        return;
    }
    event->ignore();
    if (onCloseRequested_) {
        onCloseRequested_();
    }
}

}  // namespace pastiq
