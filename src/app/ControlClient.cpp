#include "app/ControlClient.h"

#include <QDBusError>
#include <QDBusMessage>
#include <ostream>

#include "app/AppId.h"

namespace pastiq {

namespace {

// Long enough for a busy Pastiq, short enough that a key binding never hangs for long.
constexpr int kCallTimeoutMilliseconds = 5000;

QString methodName(DesktopCommand command) {
    switch (command) {
        case DesktopCommand::start:
            return QStringLiteral("Start");
        case DesktopCommand::end:
            return QStringLiteral("End");
        case DesktopCommand::toggle:
            return QStringLiteral("Toggle");
        default:
            return QStringLiteral("Status");
    }
}

bool meansNotRunning(QDBusError::ErrorType type) {
    return type == QDBusError::ServiceUnknown || type == QDBusError::Disconnected ||
           type == QDBusError::UnknownObject || type == QDBusError::UnknownInterface;
}

// A Pastiq that refused to start a session answers with the reason.
int reportStartRefusal(const QDBusMessage& reply, std::ostream& err) {
    const QList<QVariant> arguments = reply.arguments();
    if (arguments.isEmpty() || arguments.front().toString().isEmpty()) {
        return 0;
    }
    err << "pastiq: " << arguments.front().toString().toStdString() << "\n";
    return 1;
}

}  // namespace

ControlClient::ControlClient(QDBusConnection bus) : bus_(std::move(bus)) {}

int ControlClient::run(DesktopCommand command, std::ostream& out, std::ostream& err) {
    if (!bus_.isConnected()) {
        err << "pastiq: Pastiq is not running (no D-Bus session bus)\n";
        return 1;
    }
    const QString name = QString::fromLatin1(kAppId);
    const QDBusMessage call = QDBusMessage::createMethodCall(
        name, QString::fromLatin1(kDbusObjectPath), name, methodName(command));
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMilliseconds);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        const QDBusError error(reply);
        if (meansNotRunning(error.type())) {
            err << "pastiq: Pastiq is not running\n";
        } else {
            err << "pastiq: " << error.message().toStdString() << "\n";
        }
        return 1;
    }
    if (command == DesktopCommand::start) {
        return reportStartRefusal(reply, err);
    }
    if (command == DesktopCommand::status) {
        const QList<QVariant> arguments = reply.arguments();
        if (arguments.isEmpty()) {
            err << "pastiq: the running Pastiq sent no status\n";
            return 1;
        }
        out << arguments.front().toString().toStdString() << "\n";
    }
    return 0;
}

}  // namespace pastiq
