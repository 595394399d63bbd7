#pragma once

#include <QString>
#include <optional>

#include "app/system/SystemHelpers.h"

namespace pastiq {

// Where an existing autostart entry leaves Pastiq: enabled, unless the entry is hidden or its
// GNOME switch is off, which is how desktops record a start-up item the user has not allowed.
[[nodiscard]] AutostartStatus autostartStatusOfEntry(const QString& entryText);

// The text of Pastiq's autostart entry starting the executable, or nothing when the path
// cannot be written into a desktop entry.
[[nodiscard]] std::optional<QString> autostartEntryText(const QString& executablePath);

}  // namespace pastiq
