#pragma once

#include <QDBusConnection>
#include <QList>
#include <QString>
#include <QVariant>
#include <iosfwd>
#include <optional>

namespace pastiq {

// Long enough for a busy Pastiq, short enough that a key binding never hangs for long.
inline constexpr int kControlCallTimeoutMilliseconds = 5000;

// Calls one method of the running Pastiq's control interface. The reply's arguments, or
// nothing when no Pastiq answered or the call failed; the message is then on err.
[[nodiscard]] std::optional<QList<QVariant>> callPastiq(
    const QDBusConnection& bus, const QString& method, const QList<QVariant>& arguments,
    std::ostream& err, int timeoutMilliseconds = kControlCallTimeoutMilliseconds);

// The first argument of a reply as text: the status line, or a refusal.
[[nodiscard]] QString firstText(const QList<QVariant>& arguments);

}  // namespace pastiq
