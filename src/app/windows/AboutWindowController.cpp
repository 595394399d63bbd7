#include "app/windows/AboutWindowController.h"

#include <QVBoxLayout>
#include <utility>

#include "app/windows/AboutView.h"
#include "app/windows/AppInfo.h"
#include "app/windows/WindowPresentation.h"

namespace pastiq {

AboutWindowController::AboutWindowController(QString backend) : backend_(std::move(backend)) {}
AboutWindowController::~AboutWindowController() = default;

void AboutWindowController::show() {
    if (!window_) {
        createWindow();
    }
    presentCentred(*window_);
}

void AboutWindowController::createWindow() {
    // Closable but not resizable or minimisable, and above normal windows like a panel.
    window_ = std::make_unique<QWidget>(nullptr,
                                        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                            Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    window_->setObjectName(QStringLiteral("aboutWindow"));
    window_->setWindowTitle(QStringLiteral("About Pastiq"));
    window_->setFixedSize(kWidth, kHeight);
    // Closing only hides the window; this controller keeps it for the next show.
    window_->setAttribute(Qt::WA_DeleteOnClose, false);
    window_->setAttribute(Qt::WA_QuitOnClose, false);

    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    AppInfo info = AppInfo::fromBuild();
    info.backend = backend_;
    layout->addWidget(new AboutView(info, window_.get()), 0, Qt::AlignCenter);
}

}  // namespace pastiq
