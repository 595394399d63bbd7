#pragma once

#include <QObject>
#include <QString>

#include "app/system/DesktopLocations.h"
#include "app/system/SystemHelpers.h"
#include "engine/ports/Log.h"

namespace pastiq {

// The system helpers on a freedesktop.org desktop: the help page through the default handler,
// the file manager through org.freedesktop.FileManager1, relaunch through a detached /bin/sh
// and starting at login through an XDG autostart entry. Main thread only; nothing here blocks.
class DesktopSystemHelpers : public QObject, public SystemHelpers {
    Q_OBJECT
  public:
    explicit DesktopSystemHelpers(Log& log,
                                  DesktopLocations locations = DesktopLocations::forThisProcess(),
                                  QObject* parent = nullptr);

    void openInputAccessHelp() override;
    void showInFileManager() override;
    void relaunch() override;
    [[nodiscard]] AutostartStatus autostartStatus() override;
    void toggleAutostart() override;

    [[nodiscard]] const DesktopLocations& locations() const { return locations_; }

  private:
    [[nodiscard]] QString helpPagePath();
    [[nodiscard]] QString writeBundledHelpPage();
    void openContainingFolder();
    bool enableAutostart(QString& error);
    bool disableAutostart(QString& error);

    Log& log_;
    DesktopLocations locations_;
};

}  // namespace pastiq
