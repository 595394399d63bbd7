#include "app/control/ControlService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTimer>
#include <memory>
#include <utility>

#include "app/AppId.h"

namespace pastiq {

namespace {

constexpr const char* kStillStarting =
    "Pastiq is still reading the clipboard; the session may start shortly";

// The reply to one method call, sent later and only once.
struct DelayedReply {
    QDBusConnection bus;
    QDBusMessage call;
    bool isSent = false;

    void send(const QString& text) {
        if (!isSent) {
            isSent = true;
            bus.send(call.createReply(text));
        }
    }
};

}  // namespace

ControlService::ControlService(ControlActions actions, QObject* parent)
    : QObject(parent), actions_(std::move(actions)) {
    releaseWatcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&releaseWatcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        if (!ownsName_ && claimName(releaseWatcher_.connection())) {
            Q_EMIT nameRegained();
        }
    });
}

bool ControlService::publish(QDBusConnection bus) {
    const QString name = QString::fromLatin1(kAppId);
    // Publishing again (after an older Pastiq let the name go) keeps the exported object.
    if (!isObjectRegistered_) {
        isObjectRegistered_ = bus.registerObject(QString::fromLatin1(kDbusObjectPath), name, this,
                                                 QDBusConnection::ExportScriptableSlots);
    }
    if (!isObjectRegistered_) {
        errorText_ = bus.lastError().message();
        return false;
    }
    releaseWatcher_.setConnection(bus);
    bus_ = bus;
    if (!isWatchingLoss_) {
        isWatchingLoss_ = bus.connect(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameLost"), this,
            SLOT(handleNameLost(QString)));
    }
    return claimName(bus);
}

bool ControlService::claimName(const QDBusConnection& bus) {
    QDBusConnectionInterface* busInterface = bus.interface();
    if (busInterface == nullptr) {
        errorText_ = QStringLiteral("no bus daemon");
        return false;
    }
    // The newest Pastiq wins the name; older ones are being asked to quit anyway.
    const auto reply = busInterface->registerService(
        QString::fromLatin1(kAppId), QDBusConnectionInterface::ReplaceExistingService,
        QDBusConnectionInterface::AllowReplacement);
    ownsName_ = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    if (!ownsName_) {
        errorText_ =
            reply.isValid() ? QStringLiteral("the name is taken") : reply.error().message();
        reclaimWhenReleased();
    }
    return ownsName_;
}

void ControlService::handleNameLost(const QString& name) {
    if (name != QString::fromLatin1(kAppId) || !ownsName_) {
        return;
    }
    ownsName_ = false;
    errorText_ = QStringLiteral("another process took the name");
    reclaimWhenReleased();
    Q_EMIT nameLost();
}

// Watching from the loss on, so a release that comes before the next claim is not missed.
void ControlService::reclaimWhenReleased() {
    releaseWatcher_.setWatchedServices({QString::fromLatin1(kAppId)});
}

// The start reads the clipboard without blocking Pastiq; the caller waits for the outcome
// instead, though not longer than the bound.
QString ControlService::Start() {
    setDelayedReply(true);
    auto reply = std::make_shared<DelayedReply>(DelayedReply{connection(), message()});
    QTimer::singleShot(kStartAnswerBoundMilliseconds, this,
                       [reply] { reply->send(QString::fromLatin1(kStillStarting)); });
    actions_.start(
        [reply](const std::string& refusal) { reply->send(QString::fromStdString(refusal)); });
    return {};
}

// Bytes rather than a D-Bus string: a file's text reaches the parser exactly as a copy's would,
// whatever its encoding.
QString ControlService::StartWithText(const QByteArray& text) {
    return QString::fromStdString(actions_.startWithText(text.toStdString()));
}

void ControlService::announceStatus(const std::string& status) {
    if (!isObjectRegistered_) {
        return;
    }
    const QString name = QString::fromLatin1(kAppId);
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kDbusObjectPath), name,
                                                     QStringLiteral("StatusChanged"));
    signal.setArguments({QString::fromStdString(status)});
    bus_.send(signal);
}

void ControlService::End() {
    actions_.end();
}

void ControlService::Toggle() {
    actions_.toggle();
}

QString ControlService::Status() {
    return QString::fromStdString(actions_.status());
}

void ControlService::Quit() {
    actions_.quit();
}

}  // namespace pastiq
