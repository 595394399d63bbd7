#include "app/windows/OnboardingWindowController.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/windows/OnboardingView.h"

namespace pastiq {

OnboardingWindowController::OnboardingWindowController(InputAccess& access, SystemHelpers& helpers,
                                                       Log& log, QObject* parent)
    : QObject(parent), access_(access), helpers_(helpers), log_(log), pollTimer_(this) {
    pollTimer_.setInterval(kPollInterval);
    connect(&pollTimer_, &QTimer::timeout, this, &OnboardingWindowController::closeIfTrusted);
}

OnboardingWindowController::~OnboardingWindowController() = default;

void OnboardingWindowController::show() {
    if (access_.hasInputAccess()) {
        log_.info(LogCategory::permissions, "Skipping onboarding — already trusted");
        return;
    }
    if (!window_) {
        createWindow();
    }
    centreOnScreen();
    window_->show();
    window_->raise();
    window_->activateWindow();
    isVisible_ = true;
    startPolling();
    if (isVisible_) {
        closeIfTrusted();
    }
}

void OnboardingWindowController::closeIfTrusted() {
    if (!access_.hasInputAccess()) {
        return;
    }
    log_.info(LogCategory::permissions, "Input access granted — closing onboarding");
    pollTimer_.stop();
    isVisible_ = false;
    if (window_) {
        window_->close();
    }
}

void OnboardingWindowController::setTrayAvailable(bool available) {
    isTrayAvailable_ = available;
    if (view_) {
        view_->showWhereToFindPastiq(available);
    }
}

void OnboardingWindowController::createWindow() {
    // No parent: the window stands alone, Pastiq has no main window.
    window_ = std::make_unique<QDialog>(
        nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                     Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint);
    window_->setWindowTitle(QStringLiteral("Enable Pastiq"));
    window_->setFixedSize(kWindowWidth, kWindowHeight);

    auto* view = new OnboardingView(access_.missingPieces(), window_.get());
    view_ = view;
    view->showWhereToFindPastiq(isTrayAvailable_);
    view->onOpenSettings = [this] { helpers_.openInputAccessHelp(); };
    view->onRevealApp = [this] { helpers_.showInFileManager(); };
    view->onRestart = [this] { helpers_.relaunch(); };
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view, 0, Qt::AlignCenter);
    view->openSettingsButton()->setFocus();

    // Closing by hand, by Escape or by the access check all end here.
    connect(window_.get(), &QDialog::finished, this, &OnboardingWindowController::windowClosed);
}

void OnboardingWindowController::centreOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr && !QGuiApplication::screens().isEmpty()) {
        screen = QGuiApplication::screens().front();
    }
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    window_->move(available.center().x() - kWindowWidth / 2,
                  available.center().y() - kWindowHeight / 2);
}

void OnboardingWindowController::startPolling() {
    // start() restarts a running timer, so showing twice still leaves one timer.
    pollTimer_.start();
}

void OnboardingWindowController::windowClosed() {
    isVisible_ = false;
    pollTimer_.stop();
    if (onFinished) {
        onFinished();
    }
}

}  // namespace pastiq
