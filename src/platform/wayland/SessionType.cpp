#include "platform/wayland/SessionType.h"

#include <cstdlib>

namespace pastiq::wayland {

bool isWaylandSession(const EnvironmentLookup& environment) {
    const auto display = environment("WAYLAND_DISPLAY");
    if (display && !display->empty()) {
        return true;
    }
    return environment("XDG_SESSION_TYPE").value_or("") == "wayland";
}

EnvironmentLookup processEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        // NOLINTNEXTLINE(concurrency-mt-unsafe): read on the main thread before any other starts
        if (const char* value = std::getenv(name.c_str())) {
            return std::string(value);
        }
        return std::nullopt;
    };
}

}  // namespace pastiq::wayland
