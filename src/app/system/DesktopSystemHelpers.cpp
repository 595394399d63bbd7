#include "app/system/DesktopSystemHelpers.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>

#include "app/system/AutostartEntry.h"
#include "app/system/ShellQuoting.h"

namespace pastiq {
namespace {

const QLatin1String kBundledHelpPage(":/pastiq/input-access.html");

void logAutostartFailure(Log& log, const QString& error) {
    log.error(LogCategory::session, ("Launch at login failed: " + error).toStdString());
}

bool writeFileAtomically(const QString& path, const QByteArray& contents, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() ||
        !file.commit()) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace

DesktopSystemHelpers::DesktopSystemHelpers(Log& log, DesktopLocations locations, QObject* parent)
    : QObject(parent), log_(log), locations_(std::move(locations)) {}

void DesktopSystemHelpers::openInputAccessHelp() {
    const QString path = helpPagePath();
    if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        log_.error(LogCategory::permissions, "Could not open the input-access help page");
    }
}

QString DesktopSystemHelpers::helpPagePath() {
    for (const QString& candidate : locations_.helpPageCandidates) {
        if (QFileInfo(candidate).isFile()) {
            return candidate;
        }
    }
    return writeBundledHelpPage();
}

// A browser cannot open a Qt resource, so the bundled copy is written to the cache first.
QString DesktopSystemHelpers::writeBundledHelpPage() {
    QFile bundled(kBundledHelpPage);
    if (!bundled.open(QIODevice::ReadOnly) || !QDir().mkpath(locations_.cacheDirectory)) {
        return {};
    }
    const QString path = QDir(locations_.cacheDirectory).filePath("input-access.html");
    QString error;
    return writeFileAtomically(path, bundled.readAll(), error) ? path : QString();
}

void DesktopSystemHelpers::showInFileManager() {
    if (locations_.executablePath.isEmpty()) {
        return;
    }
    auto message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                  QStringLiteral("/org/freedesktop/FileManager1"),
                                                  QStringLiteral("org.freedesktop.FileManager1"),
                                                  QStringLiteral("ShowItems"));
    message << QStringList{QUrl::fromLocalFile(locations_.executablePath).toString()} << QString();
    // Asynchronous: a file manager that is slow to start must not hold up the main thread,
    // where the key verdicts of a running session are made.
    const QDBusPendingCall call = QDBusConnection::sessionBus().asyncCall(message);
    if (call.isFinished()) {
        // Without a session bus the call fails at once, and a watcher would never report it.
        if (call.isError()) {
            openContainingFolder();
        }
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                if (finished->isError()) {
                    openContainingFolder();
                }
                finished->deleteLater();
            });
}

void DesktopSystemHelpers::openContainingFolder() {
    const QString folder = QFileInfo(locations_.executablePath).absolutePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void DesktopSystemHelpers::relaunch() {
    if (!locations_.executablePath.isEmpty()) {
        // The shell outlives this process; its error, if it cannot start, changes nothing
        // about quitting.
        QProcess::startDetached(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"), relaunchScript(locations_.executablePath)});
    }
    QCoreApplication::quit();
}

AutostartStatus DesktopSystemHelpers::autostartStatus() {
    if (locations_.executablePath.isEmpty()) {
        return AutostartStatus::notFound;
    }
    QFile entry(locations_.autostartEntryPath());
    if (!entry.open(QIODevice::ReadOnly)) {
        return AutostartStatus::notRegistered;
    }
    return autostartStatusOfEntry(QString::fromUtf8(entry.readAll()));
}

void DesktopSystemHelpers::toggleAutostart() {
    const AutostartStatus status = autostartStatus();
    const bool isRegistered =
        status == AutostartStatus::enabled || status == AutostartStatus::requiresApproval;
    QString error;
    if (!(isRegistered ? disableAutostart(error) : enableAutostart(error))) {
        logAutostartFailure(log_, error);
    }
}

bool DesktopSystemHelpers::enableAutostart(QString& error) {
    if (locations_.executablePath.isEmpty()) {
        error = QStringLiteral("Pastiq's own executable could not be found");
        return false;
    }
    const auto text = autostartEntryText(locations_.executablePath);
    if (!text) {
        error = QStringLiteral("the path %1 cannot be written into an autostart entry")
                    .arg(locations_.executablePath);
        return false;
    }
    if (!QDir().mkpath(locations_.autostartDirectory)) {
        error = QStringLiteral("cannot create %1").arg(locations_.autostartDirectory);
        return false;
    }
    return writeFileAtomically(locations_.autostartEntryPath(), text->toUtf8(), error);
}

bool DesktopSystemHelpers::disableAutostart(QString& error) {
    QFile entry(locations_.autostartEntryPath());
    if (!entry.remove()) {
        error = QStringLiteral("%1: %2").arg(entry.fileName(), entry.errorString());
        return false;
    }
    return true;
}

}  // namespace pastiq
