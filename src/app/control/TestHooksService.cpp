#include "app/control/TestHooksService.h"

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

#include "app/AppId.h"

namespace pastiq {

bool TestHooksService::isEnabledByEnvironment() {
    return qEnvironmentVariable("PASTIQ_TEST_HOOKS") == QStringLiteral("1");
}

bool TestHooksService::publish(QDBusConnection bus) {
    return bus.registerObject(QString::fromLatin1(kDbusObjectPath) + QStringLiteral("/Testing"),
                              QString::fromLatin1(kAppId) + QStringLiteral(".Testing"), this,
                              QDBusConnection::ExportScriptableSlots);
}

void TestHooksService::StallMainThread(int milliseconds) {
    const int bounded = std::clamp(milliseconds, 0, kMaxStallMilliseconds);
    QTimer::singleShot(
        0, this, [bounded] { std::this_thread::sleep_for(std::chrono::milliseconds(bounded)); });
}

}  // namespace pastiq
