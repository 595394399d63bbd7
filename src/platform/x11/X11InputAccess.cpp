#include "platform/x11/X11InputAccess.h"

#include <cstdlib>
#include <string_view>

namespace pastiq::x11 {

bool X11InputAccess::hasInputAccess() {
    return displayOffersInput_ && !isWaylandSession();
}

bool X11InputAccess::isWaylandSession() {
    const char* sessionType = std::getenv("XDG_SESSION_TYPE");
    const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    return (sessionType != nullptr && std::string_view(sessionType) == "wayland") ||
           (waylandDisplay != nullptr && *waylandDisplay != '\0');
}

}  // namespace pastiq::x11
