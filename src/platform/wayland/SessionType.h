#pragma once

#include <functional>
#include <optional>
#include <string>

namespace pastiq::wayland {

// Reads an environment variable; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string&)>;

// True when the desktop session runs on Wayland: a Wayland display is named, or logind's
// session type says wayland. An X11 display beside it (XWayland) does not change the answer.
[[nodiscard]] bool isWaylandSession(const EnvironmentLookup& environment);

// The process environment.
[[nodiscard]] EnvironmentLookup processEnvironment();

}  // namespace pastiq::wayland
