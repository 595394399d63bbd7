#pragma once

#include <QString>
#include <QStringList>

namespace pastiq {

// The places on disk the desktop helpers work with. Tests point them into a temporary
// directory; the program uses forThisProcess().
struct DesktopLocations {
    QString appId;
    // Pastiq's own executable; empty when it cannot be determined.
    QString executablePath;
    // $XDG_CONFIG_HOME/autostart
    QString autostartDirectory;
    // Installed copies of the input-access help page, most specific first.
    QStringList helpPageCandidates;
    // Where the bundled help page is written when no installed copy exists.
    QString cacheDirectory;

    [[nodiscard]] QString autostartEntryPath() const;

    static DesktopLocations forThisProcess();
};

}  // namespace pastiq
