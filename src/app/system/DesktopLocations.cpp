#include "app/system/DesktopLocations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/AppId.h"

namespace pastiq {
namespace {

const QLatin1String kHelpPage("pastiq/input-access.html");

// /proc/self/exe names a replaced executable "PATH (deleted)" after a package upgrade; the
// new file at PATH is the one to start and to register.
QString ownExecutablePath() {
    QString path = QCoreApplication::applicationFilePath();
    const QLatin1String deletedSuffix(" (deleted)");
    if (!QFileInfo::exists(path) && path.endsWith(deletedSuffix)) {
        path.chop(deletedSuffix.size());
    }
    return QFileInfo(path).isExecutable() ? QFileInfo(path).absoluteFilePath() : QString();
}

QStringList installedHelpPages(const QString& executablePath) {
    QStringList candidates;
    if (!executablePath.isEmpty()) {
        // A prefix-relative copy first, so a build installed under /opt or ~/.local opens
        // its own page rather than one from another installation.
        const QDir binDirectory = QFileInfo(executablePath).dir();
        candidates << QDir::cleanPath(binDirectory.filePath(QStringLiteral("../share/")) +
                                      kHelpPage);
    }
    for (const QString& dataDirectory :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        candidates << QDir(dataDirectory).filePath(kHelpPage);
    }
    candidates.removeDuplicates();
    return candidates;
}

}  // namespace

QString DesktopLocations::autostartEntryPath() const {
    return QDir(autostartDirectory).filePath(appId + QStringLiteral(".desktop"));
}

DesktopLocations DesktopLocations::forThisProcess() {
    DesktopLocations locations;
    locations.appId = QLatin1String(kAppId);
    locations.executablePath = ownExecutablePath();
    locations.autostartDirectory =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/autostart");
    locations.helpPageCandidates = installedHelpPages(locations.executablePath);
    locations.cacheDirectory =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
        QStringLiteral("/pastiq");
    return locations;
}

}  // namespace pastiq
