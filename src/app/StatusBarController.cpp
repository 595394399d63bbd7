#include "app/StatusBarController.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>

#include "app/AboutWindowController.h"
#include "app/SystemHelpers.h"

namespace pastiq {
namespace {

struct FinishBehaviorEntry {
    ListFinishBehavior behavior;
    const char* title;
    const char* toolTip;
};

// In the enumeration's order, which is the order the submenu lists them.
constexpr std::array<FinishBehaviorEntry, 3> kFinishBehaviorEntries = {{
    {ListFinishBehavior::clearClipboard, "Clear the Clipboard and List",
     "Empties both, leaving the overlay open"},
    {ListFinishBehavior::returnToFirstItem, "Return to the First Item",
     "Starts the same list over from the top"},
    {ListFinishBehavior::stayOnLastItem, "Stay on the Last Item",
     "Another Ctrl+V pastes the last item again"},
}};
static_assert(kFinishBehaviorEntries.size() == kAllListFinishBehaviors.size());

void showShortcut(QAction* action, const QKeySequence& keys) {
    action->setShortcut(keys);
    action->setShortcutVisibleInContextMenu(true);
}

}  // namespace

StatusBarController::StatusBarController(std::shared_ptr<SessionController> sessionController,
                                         Settings& settings, InputAccess& inputAccess,
                                         SystemHelpers& helpers, AboutWindowController& about,
                                         QObject* parent)
    : QObject(parent),
      sessionController_(std::move(sessionController)),
      settings_(settings),
      inputAccess_(inputAccess),
      helpers_(helpers),
      about_(about),
      menu_(std::make_unique<QMenu>()),
      finishMenu_(new QMenu(QStringLiteral("After the Last Paste"), menu_.get())),
      trayIcon_(new QSystemTrayIcon(this)) {
    menu_->setToolTipsVisible(true);
    finishMenu_->setToolTipsVisible(true);
    connect(menu_.get(), &QMenu::aboutToShow, this, &StatusBarController::rebuildMenu);
    trayIcon_->setContextMenu(menu_.get());
    // Both clicks open the menu: the tooltips promise "Click for menu".
    connect(trayIcon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    popUpMenu();
                }
            });

    sessionSubscription_ = sessionController_->sessionDidChange().subscribe([this] {
        observeSession();
        refreshButton();
    });
    statusMessageSubscription_ =
        sessionController_->statusMessageDidChange().subscribe([this] { refreshButton(); });
    observeSession();
    refreshButton();
    trayIcon_->show();
}

StatusBarController::~StatusBarController() = default;

// ---- Menu

void StatusBarController::rebuildMenu() {
    menu_->clear();
    addStateRows();
    menu_->addSeparator();
    addSessionRows();
    menu_->addSeparator();
    addSettingsRows();
    menu_->addSeparator();
    addRow(QStringLiteral("About Pastiq"), &StatusBarController::showAbout);
    menu_->addSeparator();
    showShortcut(addRow(QStringLiteral("Quit Pastiq"), &StatusBarController::quit),
                 QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void StatusBarController::addStateRows() {
    addDisabledRow(QStringLiteral("Pastiq is running"));
    // Never with the prompt: opening the menu must not ask the user anything.
    addDisabledRow(inputAccess_.isTrusted(false) ? QStringLiteral("Input Access: Granted")
                                                 : QStringLiteral("Input Access: Not Granted"));
    addRow(QStringLiteral("Open Input Access Help…"), &StatusBarController::openInputAccessHelp);
    addRow(QStringLiteral("Show Pastiq in File Manager"), &StatusBarController::showInFileManager);
}

void StatusBarController::addSessionRows() {
    const auto& session = sessionController_->session();
    QAction* toggle =
        addRow(session ? QStringLiteral("End Session") : QStringLiteral("Start Session"),
               &StatusBarController::toggleSession);
    showShortcut(toggle, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));

    if (session) {
        addDisabledRow(QStringLiteral("Next: ") + QString::fromStdString(session->progressText()));
    } else if (const auto& message = sessionController_->statusMessage()) {
        addDisabledRow(QString::fromStdString(*message));
    } else {
        addDisabledRow(QStringLiteral("Copy a list, then start a session"));
    }
}

void StatusBarController::addSettingsRows() {
    addFinishBehaviorMenu();

    QAction* count =
        addRow(QStringLiteral("Show Count in Panel"), &StatusBarController::toggleCountInPanel);
    count->setCheckable(true);
    count->setChecked(settings_.showsCountInMenuBar());

    const LoginItemStatus status = helpers_.loginItemStatus();
    QAction* login =
        addRow(QStringLiteral("Open at Login"), &StatusBarController::toggleLaunchAtLogin);
    login->setCheckable(true);
    login->setChecked(status == LoginItemStatus::enabled ||
                      status == LoginItemStatus::requiresApproval);
    if (status == LoginItemStatus::requiresApproval) {
        login->setToolTip(
            QStringLiteral("Your desktop still needs you to allow Pastiq in Startup Applications"));
    }
}

void StatusBarController::addFinishBehaviorMenu() {
    // The submenu window is kept; its entries are made anew like every other row.
    finishMenu_->clear();
    menu_->addMenu(finishMenu_);

    const ListFinishBehavior current = settings_.listFinishBehavior();
    for (const auto& entry : kFinishBehaviorEntries) {
        QAction* action = finishMenu_->addAction(QString::fromUtf8(entry.title));
        action->setToolTip(QString::fromUtf8(entry.toolTip));
        action->setData(QString::fromUtf8(rawValue(entry.behavior)));
        action->setCheckable(true);
        action->setChecked(entry.behavior == current);
        connect(action, &QAction::triggered, this,
                [this, action] { selectFinishBehavior(action); });
    }
}

QAction* StatusBarController::addRow(const QString& title, void (StatusBarController::*action)()) {
    QAction* row = menu_->addAction(title);
    connect(row, &QAction::triggered, this, [this, action] { (this->*action)(); });
    return row;
}

void StatusBarController::addDisabledRow(const QString& title) {
    menu_->addAction(title)->setEnabled(false);
}

void StatusBarController::popUpMenu() {
    openMenuAt(QCursor::pos());
}

void StatusBarController::openMenuAt(const QPoint& position) {
    menu_->popup(position);
}

void StatusBarController::setTrayAvailable(bool available) {
    trayIcon_->hide();
    if (available) {
        trayIcon_->show();
    }
}

QIcon StatusBarController::icon() const {
    return trayIcon_->icon();
}

// ---- Tray icon

void StatusBarController::refreshButton() {
    isRefreshScheduled_ = false;
    const auto& session = sessionController_->session();
    const StatusButtonState state = StatusButtonState::choose(
        sessionController_->statusMessage(), session.get(), settings_.showsCountInMenuBar());
    // Redrawing only on a change keeps the panel from being told about a new icon after
    // every paste that leaves the visible state alone.
    if (state == buttonState_ && !trayIcon_->icon().isNull()) {
        return;
    }
    buttonState_ = state;
    trayIcon_->setIcon(painter_.paint(state));
    trayIcon_->setToolTip(state.toolTip);
    Q_EMIT buttonStateChanged();
}

// The session announces a change before storing it, so the refresh waits to read the new state.
// It waits a little longer than a turn of the event loop: a Ctrl+V changes the session while
// the application is still fetching the pasted text, and drawing the icon then (a few
// milliseconds of text rendering) competes with that paste for the processor. The changes of
// a burst share one refresh.
void StatusBarController::scheduleRefresh() {
    if (isRefreshScheduled_) {
        return;
    }
    isRefreshScheduled_ = true;
    QTimer::singleShot(kRefreshDelay, this, &StatusBarController::refreshButton);
}

void StatusBarController::observeSession() {
    sessionChangeSubscription_.cancel();
    if (const auto& session = sessionController_->session()) {
        sessionChangeSubscription_ =
            session->willChange().subscribe([this](const SessionChange&) { scheduleRefresh(); });
    }
}

// ---- Actions

void StatusBarController::toggleSession() {
    if (sessionController_->session()) {
        sessionController_->endSession(true);
    } else {
        sessionController_->startSession(false);
    }
}

void StatusBarController::openInputAccessHelp() {
    // There is no request dialog on X11; asking with the prompt keeps the same order of calls
    // wherever a desktop offers one.
    if (!inputAccess_.isTrusted(false)) {
        (void)inputAccess_.isTrusted(true);
    }
    helpers_.openInputAccessHelp();
}

void StatusBarController::showInFileManager() {
    helpers_.showInFileManager();
}

void StatusBarController::toggleCountInPanel() {
    settings_.setShowsCountInMenuBar(!settings_.showsCountInMenuBar());
    refreshButton();
}

void StatusBarController::selectFinishBehavior(const QAction* action) {
    const QVariant data = action->data();
    if (data.typeId() != QMetaType::QString) {
        return;
    }
    if (const auto behavior = listFinishBehaviorFromRaw(data.toString().toStdString())) {
        settings_.setListFinishBehavior(*behavior);
    }
}

void StatusBarController::toggleLaunchAtLogin() {
    helpers_.toggleLoginItem();
}

void StatusBarController::showAbout() {
    about_.show();
}

void StatusBarController::quit() {
    QCoreApplication::quit();
}

}  // namespace pastiq
