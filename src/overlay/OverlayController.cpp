#include "overlay/OverlayController.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>

#include "model/PasteSession.h"
#include "overlay/OverlayPanel.h"
#include "overlay/OverlayView.h"

namespace pastiq {

OverlayController::OverlayController(WindowSystem& windows, QObject* parent)
    : QObject(parent), windows_(windows) {}

OverlayController::~OverlayController() {
    if (view_) {
        view_->detach();
    }
}

QRect OverlayController::defaultFrame(const std::optional<QRect>& availableArea) {
    const QRect area = availableArea.value_or(QRect(0, 0, 800, 600));
    const int right = area.x() + area.width();
    return {right - defaultWidth - screenMargin, area.y() + screenMargin, defaultWidth,
            defaultHeight};
}

QRect OverlayController::defaultFrameOnPrimaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return defaultFrame(screen ? std::optional<QRect>(screen->availableGeometry()) : std::nullopt);
}

OverlayView* OverlayController::view() const {
    return view_.data();
}

void OverlayController::setOnClose(std::function<void()> onClose) {
    onClose_ = std::move(onClose);
}

void OverlayController::requestClose() {
    if (onClose_) {
        onClose_();
    }
}

void OverlayController::ensurePanel() {
    if (panel_) {
        return;
    }
    panel_ = std::make_unique<OverlayPanel>(windows_, guard_.bind([this] { requestClose(); }));
}

void OverlayController::show(std::shared_ptr<PasteSession> session) {
    ensurePanel();
    EditingCallbacks callbacks{guard_.bind([this] { panel_->takeKeyboardFocus(); }),
                               guard_.bind([this] { panel_->returnKeyboardFocus(); })};
    if (view_) {
        view_->detach();
    }
    auto* view = new OverlayView(std::move(session), std::move(callbacks));
    panel_->setContent(view);
    view_ = view;
    view->showNotice(notice_);
    view->showAfterEachPaste(afterEachPaste_);
    panel_->showAt(savedFrame_.value_or(defaultFrameOnPrimaryScreen()));
    panel_->layout()->activate();
    view->scrollToCursorNow();
}

void OverlayController::showNotice(const std::optional<std::string>& notice) {
    notice_ = notice;
    if (view_) {
        view_->showNotice(notice_);
    }
}

void OverlayController::showAfterEachPaste(AfterEachPaste choice) {
    afterEachPaste_ = choice;
    if (view_) {
        view_->showAfterEachPaste(choice);
    }
}

void OverlayController::close() {
    if (!panel_) {
        return;
    }
    if (view_) {
        view_->detach();
    }
    if (panel_->isVisible()) {
        savedFrame_ = panel_->frameGeometry();
    }
    panel_->hide();
    panel_->clearContent();
    view_ = nullptr;
}

}  // namespace pastiq
