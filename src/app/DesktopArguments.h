#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pastiq {

// What `pastiq` was asked to do. Without arguments it runs the tray program; the control
// commands talk to a running Pastiq over D-Bus.
enum class DesktopCommand { runApp, start, end, toggle, status, quit, help, version, invalid };

// Which desktop protocol the tray program reaches the keyboard and the clipboard through.
enum class BackendChoice { automatic, x11, wayland };

// One command line, understood.
struct DesktopRequest {
    DesktopCommand command = DesktopCommand::runApp;
    // start: queue the text of this file instead of the clipboard; "-" is standard input.
    std::optional<std::string> textFile{};
    // status: print a line again after every change of the session, until Pastiq quits.
    bool follow = false;
    // runApp: `--backend x11|wayland` overrides what the session type suggests.
    BackendChoice backend = BackendChoice::automatic;
    // invalid: what is wrong with the arguments.
    std::string error{};

    friend bool operator==(const DesktopRequest&, const DesktopRequest&) = default;
};

// The arguments after the program name.
[[nodiscard]] DesktopRequest parseDesktopArguments(std::span<const std::string_view> args);

// The help text, ending with a newline.
[[nodiscard]] std::string_view desktopUsage();

}  // namespace pastiq
