#include "app/control/ControlCall.h"

#include <QDBusError>
#include <QDBusMessage>
#include <ostream>

#include "app/AppId.h"

namespace pastiq {

namespace {

bool meansNotRunning(QDBusError::ErrorType type) {
    return type == QDBusError::ServiceUnknown || type == QDBusError::Disconnected ||
           type == QDBusError::UnknownObject || type == QDBusError::UnknownInterface;
}

}  // namespace

std::optional<QList<QVariant>> callPastiq(const QDBusConnection& bus, const QString& method,
                                          const QList<QVariant>& arguments, std::ostream& err,
                                          int timeoutMilliseconds) {
    if (!bus.isConnected()) {
        err << "pastiq: Pastiq is not running (no D-Bus session bus)\n";
        return std::nullopt;
    }
    const QString name = QString::fromLatin1(kAppId);
    QDBusMessage call =
        QDBusMessage::createMethodCall(name, QString::fromLatin1(kDbusObjectPath), name, method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMilliseconds);
    if (reply.type() != QDBusMessage::ErrorMessage) {
        return reply.arguments();
    }
    const QDBusError error(reply);
    if (meansNotRunning(error.type())) {
        err << "pastiq: Pastiq is not running\n";
    } else {
        err << "pastiq: " << error.message().toStdString() << "\n";
    }
    return std::nullopt;
}

QString firstText(const QList<QVariant>& arguments) {
    return arguments.isEmpty() ? QString() : arguments.front().toString();
}

}  // namespace pastiq
