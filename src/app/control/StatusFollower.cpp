#include "app/control/StatusFollower.h"

#include <QDBusError>
#include <ostream>
#include <sstream>

#include "app/AppId.h"
#include "app/control/ControlCall.h"
#include "app/control/cli/ExitStatus.h"

namespace pastiq {

namespace {

constexpr const char* kNoSession = R"({"session":null})";

}  // namespace

StatusFollower::StatusFollower(QDBusConnection bus, std::ostream& out)
    : bus_(std::move(bus)), out_(out) {}

int StatusFollower::run(std::ostream& err) {
    const QString name = QString::fromLatin1(kAppId);
    // Listening before asking, so no change between the answer and the first signal is lost.
    const bool isListening =
        bus_.isConnected() &&
        bus_.connect(name, QString::fromLatin1(kDbusObjectPath), name,
                     QStringLiteral("StatusChanged"), this, SLOT(print(QString)));
    ownerWatcher_.setConnection(bus_);
    ownerWatcher_.setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    ownerWatcher_.setWatchedServices({name});
    connect(&ownerWatcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                handleOwnerChange(newOwner);
            });
    if (!printCurrentStatus(err)) {
        return kExitNotRunningOrNothing;
    }
    if (!isListening) {
        err << "pastiq: cannot listen for status changes: "
            << bus_.lastError().message().toStdString() << "\n";
        return kExitNotRunningOrNothing;
    }
    loop_.exec();
    // The panel keeps showing the last line it read: it must not show a session that is gone.
    if (lastPrinted_ != QString::fromLatin1(kNoSession)) {
        print(QString::fromLatin1(kNoSession));
    }
    return kExitDone;
}

bool StatusFollower::printCurrentStatus(std::ostream& err) {
    const auto reply = callPastiq(bus_, QStringLiteral("Status"), {}, err);
    if (reply) {
        print(firstText(*reply));
    }
    return reply.has_value();
}

// A newer Pastiq that takes the name over goes on being followed; without one, following ends.
void StatusFollower::handleOwnerChange(const QString& newOwner) {
    std::ostringstream ignored;
    if (newOwner.isEmpty() || !printCurrentStatus(ignored)) {
        loop_.quit();
    }
}

// Every announced change gets its line, even one the status does not show (an item's text
// edited), so a reader can count on a line per change.
void StatusFollower::print(const QString& status) {
    if (status.isEmpty()) {
        return;
    }
    lastPrinted_ = status;
    out_ << status.toStdString() << std::endl;
}

}  // namespace pastiq
