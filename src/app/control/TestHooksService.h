#pragma once

#include <QDBusConnection>
#include <QObject>

namespace pastiq {

// Switches the end-to-end tests use to provoke faults, exported only when PASTIQ_TEST_HOOKS=1.
class TestHooksService final : public QObject {
    Q_OBJECT

  public:
    // The longest stall accepted, so a mistaken call cannot hang Pastiq for good.
    static constexpr int kMaxStallMilliseconds = 10000;

    using QObject::QObject;

    [[nodiscard]] static bool isEnabledByEnvironment();
    // Exports the object under the control path's "Testing" child.
    bool publish(QDBusConnection bus);

  public Q_SLOTS:
    // Replies at once, then blocks the main thread for the given time on the next loop turn:
    // the key handling thread must keep the keyboard usable meanwhile.
    // A D-Bus method name, CamelCase as the bus spells them.
    Q_SCRIPTABLE void StallMainThread(int milliseconds);  // NOLINT(readability-identifier-naming)
};

}  // namespace pastiq
