#pragma once

#include <QString>
#include <optional>
#include <string>

namespace pastiq {

class PasteSession;

// What the tray icon shows: a mark drawn into the icon and the tooltip. The panel cannot show
// text beside a tray icon, so the progress is drawn into the icon and leads the tooltip.
struct TrayIconState {
    enum class Mark { none, progress, message };

    Mark mark = Mark::none;
    // The status message or the session's progress; empty with no mark.
    QString title;
    QString toolTip;

    // The first rule that applies: a status message, a session with the count shown, a
    // session, nothing.
    static TrayIconState choose(const std::optional<std::string>& statusMessage,
                                const PasteSession* session, bool showsCount);

    bool operator==(const TrayIconState&) const = default;
};

}  // namespace pastiq
