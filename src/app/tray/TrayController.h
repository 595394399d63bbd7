#pragma once

#include <QObject>
#include <QPoint>
#include <chrono>
#include <memory>

#include "app/tray/TrayIconPainter.h"
#include "app/tray/TrayIconState.h"
#include "engine/SessionController.h"
#include "engine/Settings.h"
#include "engine/ports/InputAccess.h"
#include "model/Signal.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace pastiq {

class AboutWindowController;
class SystemHelpers;

// Pastiq's tray icon and its menu, the only permanent interface. The icon shows the status
// message or the session's progress; the menu is rebuilt from the current state every time it
// is about to open. Main thread only.
class TrayController : public QObject {
    Q_OBJECT
  public:
    // How long after a session change the icon is redrawn.
    static constexpr std::chrono::milliseconds kRefreshDelay{40};

    TrayController(std::shared_ptr<SessionController> sessionController, Settings& settings,
                   InputAccess& inputAccess, SystemHelpers& helpers, AboutWindowController& about,
                   QObject* parent = nullptr);
    ~TrayController() override;

    [[nodiscard]] QMenu* menu() const { return menu_.get(); }
    [[nodiscard]] QSystemTrayIcon* trayIcon() const { return trayIcon_; }
    [[nodiscard]] const TrayIconState& iconState() const { return iconState_; }
    [[nodiscard]] QIcon icon() const;

    // Opens the menu with its top left corner at `position`, for a way in other than the icon.
    void openMenuAt(const QPoint& position);
    // Shows the icon anew once a tray can hold it (docking it, or registering it again with
    // a new watcher), and takes it away while none can.
    void setTrayAvailable(bool available);

  Q_SIGNALS:
    // The icon or the tooltip changed.
    void iconStateChanged();

  private:
    void rebuildMenu();
    void addStateRows();
    void addSessionRows();
    void addSettingsRows();
    void addChoiceMenus();
    QAction* addRow(const QString& title, void (TrayController::*action)());
    void addDisabledRow(const QString& title);

    void refreshIcon();
    void scheduleRefresh();
    void observeSession();
    void popUpMenu();

    void toggleSession();
    void openInputAccessHelp();
    void showInFileManager();
    void toggleCountInPanel();
    void selectFinishBehavior(const QAction* action);
    void selectAfterEachPaste(const QAction* action);
    void toggleAutostart();
    void showAbout();
    void quit();

    std::shared_ptr<SessionController> sessionController_;
    Settings& settings_;
    InputAccess& inputAccess_;
    SystemHelpers& helpers_;
    AboutWindowController& about_;

    TrayIconPainter painter_;
    TrayIconState iconState_;
    bool isRefreshScheduled_ = false;
    std::unique_ptr<QMenu> menu_;
    QMenu* afterEachPasteMenu_ = nullptr;  // owned by menu_
    QMenu* finishMenu_ = nullptr;          // owned by menu_
    QSystemTrayIcon* trayIcon_ = nullptr;

    // Declared last so they are cancelled first: no handler runs into a half-destroyed object.
    Subscription sessionSubscription_;
    Subscription statusMessageSubscription_;
    Subscription sessionChangeSubscription_;
};

}  // namespace pastiq
