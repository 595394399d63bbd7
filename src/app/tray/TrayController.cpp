#include "app/tray/TrayController.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>

#include "app/system/SystemHelpers.h"
#include "app/windows/AboutWindowController.h"

namespace pastiq {
namespace {

template <typename Choice>
struct ChoiceEntry {
    Choice choice;
    const char* title;
    const char* toolTip;
};

// In the enumeration's order, which is the order the submenu lists them.
constexpr std::array<ChoiceEntry<AfterEachPaste>, 4> kAfterEachPasteEntries = {{
    {AfterEachPaste::nothing, "Nothing", "Pastes the item alone"},
    {AfterEachPaste::pressTab, "Press Tab", "Moves on to the next field of a form"},
    {AfterEachPaste::pressReturn, "Press Return", "Moves down a column or confirms a line"},
    {AfterEachPaste::spreadsheetRow, "Spreadsheet Row",
     "Tab between the cells of a row, Return after its last cell"},
}};
static_assert(kAfterEachPasteEntries.size() == kAllAfterEachPaste.size());

constexpr std::array<ChoiceEntry<ListFinishBehavior>, 3> kFinishBehaviorEntries = {{
    {ListFinishBehavior::clearClipboard, "Clear the Clipboard and List",
     "Empties both, leaving the overlay open"},
    {ListFinishBehavior::returnToFirstItem, "Return to the First Item",
     "Starts the same list over from the top"},
    {ListFinishBehavior::stayOnLastItem, "Stay on the Last Item",
     "Another Ctrl+V pastes the last item again"},
}};
static_assert(kFinishBehaviorEntries.size() == kAllListFinishBehaviors.size());

// One checkable entry per choice, the current one checked, each carrying its stored value.
template <typename Choice, std::size_t Count>
void fillChoiceMenu(QMenu* submenu, const std::array<ChoiceEntry<Choice>, Count>& entries,
                    Choice current, const std::function<void(const QAction*)>& onChoose) {
    submenu->clear();
    for (const auto& entry : entries) {
        QAction* action = submenu->addAction(QString::fromUtf8(entry.title));
        action->setToolTip(QString::fromUtf8(entry.toolTip));
        action->setData(QString::fromUtf8(storedValue(entry.choice)));
        action->setCheckable(true);
        action->setChecked(entry.choice == current);
        QObject::connect(action, &QAction::triggered, submenu,
                         [onChoose, action] { onChoose(action); });
    }
}

// The stored value an entry carries, if it carries one.
std::optional<std::string> storedValueOf(const QAction* action) {
    const QVariant data = action->data();
    if (data.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return data.toString().toStdString();
}

void showShortcut(QAction* action, const QKeySequence& keys) {
    action->setShortcut(keys);
    action->setShortcutVisibleInContextMenu(true);
}

}  // namespace

TrayController::TrayController(std::shared_ptr<SessionController> sessionController,
                               Settings& settings, InputAccess& inputAccess, SystemHelpers& helpers,
                               AboutWindowController& about, QObject* parent)
    : QObject(parent),
      sessionController_(std::move(sessionController)),
      settings_(settings),
      inputAccess_(inputAccess),
      helpers_(helpers),
      about_(about),
      menu_(std::make_unique<QMenu>()),
      afterEachPasteMenu_(new QMenu(QStringLiteral("After Each Paste"), menu_.get())),
      finishMenu_(new QMenu(QStringLiteral("After the Last Paste"), menu_.get())),
      trayIcon_(new QSystemTrayIcon(this)) {
    menu_->setToolTipsVisible(true);
    afterEachPasteMenu_->setToolTipsVisible(true);
    finishMenu_->setToolTipsVisible(true);
    connect(menu_.get(), &QMenu::aboutToShow, this, &TrayController::rebuildMenu);
    trayIcon_->setContextMenu(menu_.get());
    // Both clicks open the menu: the tooltips promise "Click for menu".
    connect(trayIcon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    popUpMenu();
                }
            });

    sessionSubscription_ = sessionController_->sessionChanged().subscribe([this] {
        observeSession();
        refreshIcon();
    });
    statusMessageSubscription_ =
        sessionController_->statusMessageChanged().subscribe([this] { refreshIcon(); });
    observeSession();
    refreshIcon();
    trayIcon_->show();
}

TrayController::~TrayController() = default;

// ---- Menu

void TrayController::rebuildMenu() {
    menu_->clear();
    addStateRows();
    menu_->addSeparator();
    addSessionRows();
    menu_->addSeparator();
    addSettingsRows();
    menu_->addSeparator();
    addRow(QStringLiteral("About Pastiq"), &TrayController::showAbout);
    menu_->addSeparator();
    showShortcut(addRow(QStringLiteral("Quit Pastiq"), &TrayController::quit),
                 QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void TrayController::addStateRows() {
    addDisabledRow(QStringLiteral("Pastiq is running"));
    // Never with the prompt: opening the menu must not ask the user anything.
    addDisabledRow(inputAccess_.hasInputAccess() ? QStringLiteral("Input Access: Granted")
                                                 : QStringLiteral("Input Access: Not Granted"));
    addRow(QStringLiteral("Open Input Access Help…"), &TrayController::openInputAccessHelp);
    addRow(QStringLiteral("Show Pastiq in File Manager"), &TrayController::showInFileManager);
}

void TrayController::addSessionRows() {
    const auto& session = sessionController_->session();
    QAction* toggle =
        addRow(session ? QStringLiteral("End Session") : QStringLiteral("Start Session"),
               &TrayController::toggleSession);
    showShortcut(toggle, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));

    if (session) {
        addDisabledRow(QStringLiteral("Next: ") + QString::fromStdString(session->progressText()));
    } else if (const auto& message = sessionController_->statusMessage()) {
        addDisabledRow(QString::fromStdString(*message));
    } else {
        addDisabledRow(QStringLiteral("Copy a list, then start a session"));
    }
}

void TrayController::addSettingsRows() {
    addChoiceMenus();

    QAction* count =
        addRow(QStringLiteral("Show Count in Panel"), &TrayController::toggleCountInPanel);
    count->setCheckable(true);
    count->setChecked(settings_.showsCountInTray());

    const AutostartStatus status = helpers_.autostartStatus();
    QAction* login = addRow(QStringLiteral("Open at Login"), &TrayController::toggleAutostart);
    login->setCheckable(true);
    login->setChecked(status == AutostartStatus::enabled ||
                      status == AutostartStatus::requiresApproval);
    if (status == AutostartStatus::requiresApproval) {
        login->setToolTip(
            QStringLiteral("Your desktop still needs you to allow Pastiq in Startup Applications"));
    }
}

void TrayController::addChoiceMenus() {
    // The submenu windows are kept; their entries are made anew like every other row.
    menu_->addMenu(afterEachPasteMenu_);
    fillChoiceMenu(afterEachPasteMenu_, kAfterEachPasteEntries, settings_.afterEachPaste(),
                   [this](const QAction* action) { selectAfterEachPaste(action); });
    menu_->addMenu(finishMenu_);
    fillChoiceMenu(finishMenu_, kFinishBehaviorEntries, settings_.listFinishBehavior(),
                   [this](const QAction* action) { selectFinishBehavior(action); });
}

QAction* TrayController::addRow(const QString& title, void (TrayController::*action)()) {
    QAction* row = menu_->addAction(title);
    connect(row, &QAction::triggered, this, [this, action] { (this->*action)(); });
    return row;
}

void TrayController::addDisabledRow(const QString& title) {
    menu_->addAction(title)->setEnabled(false);
}

void TrayController::popUpMenu() {
    openMenuAt(QCursor::pos());
}

void TrayController::openMenuAt(const QPoint& position) {
    menu_->popup(position);
}

void TrayController::setTrayAvailable(bool available) {
    trayIcon_->hide();
    if (available) {
        trayIcon_->show();
    }
}

QIcon TrayController::icon() const {
    return trayIcon_->icon();
}

// ---- Tray icon

void TrayController::refreshIcon() {
    isRefreshScheduled_ = false;
    const auto& session = sessionController_->session();
    const TrayIconState state = TrayIconState::choose(sessionController_->statusMessage(),
                                                      session.get(), settings_.showsCountInTray());
    // Redrawing only on a change keeps the panel from being told about a new icon after
    // every paste that leaves the visible state alone.
    if (state == iconState_ && !trayIcon_->icon().isNull()) {
        return;
    }
    iconState_ = state;
    trayIcon_->setIcon(painter_.paint(state));
    trayIcon_->setToolTip(state.toolTip);
    Q_EMIT iconStateChanged();
}

// The session announces a change before storing it, so the refresh waits to read the new state.
// It waits a little longer than a turn of the event loop: a Ctrl+V changes the session while
// the application is still fetching the pasted text, and drawing the icon then (a few
// milliseconds of text rendering) competes with that paste for the processor. The changes of
// a burst share one refresh.
void TrayController::scheduleRefresh() {
    if (isRefreshScheduled_) {
        return;
    }
    isRefreshScheduled_ = true;
    QTimer::singleShot(kRefreshDelay, this, &TrayController::refreshIcon);
}

void TrayController::observeSession() {
    sessionChangeSubscription_.cancel();
    if (const auto& session = sessionController_->session()) {
        sessionChangeSubscription_ =
            session->willChange().subscribe([this](const SessionChange&) { scheduleRefresh(); });
    }
}

// ---- Actions

void TrayController::toggleSession() {
    if (sessionController_->session()) {
        sessionController_->endSession(true);
    } else {
        sessionController_->startSession(false);
    }
}

void TrayController::openInputAccessHelp() {
    helpers_.openInputAccessHelp();
}

void TrayController::showInFileManager() {
    helpers_.showInFileManager();
}

void TrayController::toggleCountInPanel() {
    settings_.setShowsCountInTray(!settings_.showsCountInTray());
    refreshIcon();
}

void TrayController::selectFinishBehavior(const QAction* action) {
    const auto stored = storedValueOf(action);
    if (const auto behavior = stored ? listFinishBehaviorFromStored(*stored) : std::nullopt) {
        settings_.setListFinishBehavior(*behavior);
        sessionController_->settingsChanged();
    }
}

void TrayController::selectAfterEachPaste(const QAction* action) {
    const auto stored = storedValueOf(action);
    if (const auto choice = stored ? afterEachPasteFromStored(*stored) : std::nullopt) {
        settings_.setAfterEachPaste(*choice);
        sessionController_->settingsChanged();
    }
}

void TrayController::toggleAutostart() {
    helpers_.toggleAutostart();
}

void TrayController::showAbout() {
    about_.show();
}

void TrayController::quit() {
    QCoreApplication::quit();
}

}  // namespace pastiq
