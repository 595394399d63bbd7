#include "app/ControlService.h"

#include <QDBusConnectionInterface>
#include <utility>

#include "app/AppId.h"

namespace pastiq {

ControlService::ControlService(ControlActions actions, QObject* parent)
    : QObject(parent), actions_(std::move(actions)) {}

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
    QDBusConnectionInterface* busInterface = bus.interface();
    if (busInterface == nullptr) {
        errorText_ = QStringLiteral("no bus daemon");
        return false;
    }
    // The newest Pastiq wins the name; older ones are being asked to quit anyway.
    const auto reply =
        busInterface->registerService(name, QDBusConnectionInterface::ReplaceExistingService,
                                      QDBusConnectionInterface::AllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        errorText_ =
            reply.isValid() ? QStringLiteral("the name is taken") : reply.error().message();
        return false;
    }
    return true;
}

void ControlService::Start() {
    actions_.start();
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

}  // namespace pastiq
