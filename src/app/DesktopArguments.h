#pragma once

#include <span>
#include <string_view>

namespace pastiq {

// What `pastiq` was asked to do. Without arguments it runs the tray program; the control
// commands talk to a running Pastiq over D-Bus.
enum class DesktopCommand { runApp, start, end, toggle, status, help, version, invalid };

// The arguments after the program name.
[[nodiscard]] DesktopCommand parseDesktopArguments(std::span<const std::string_view> args);

// The help text, ending with a newline.
[[nodiscard]] std::string_view desktopUsage();

}  // namespace pastiq
