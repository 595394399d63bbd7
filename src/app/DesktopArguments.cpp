#include "app/DesktopArguments.h"

#include <array>
#include <utility>

namespace pastiq {

DesktopCommand parseDesktopArguments(std::span<const std::string_view> args) {
    if (args.empty()) {
        return DesktopCommand::runApp;
    }
    if (args.size() > 1) {
        return DesktopCommand::invalid;
    }
    static constexpr std::array<std::pair<std::string_view, DesktopCommand>, 7> kWords{{
        {"start", DesktopCommand::start},
        {"end", DesktopCommand::end},
        {"toggle", DesktopCommand::toggle},
        {"status", DesktopCommand::status},
        {"--help", DesktopCommand::help},
        {"-h", DesktopCommand::help},
        {"--version", DesktopCommand::version},
    }};
    for (const auto& [word, command] : kWords) {
        if (args.front() == word) {
            return command;
        }
    }
    return DesktopCommand::invalid;
}

std::string_view desktopUsage() {
    return "Usage: pastiq [COMMAND]\n"
           "\n"
           "Without a command, starts Pastiq in the tray: copy a list, start a session, and\n"
           "every Ctrl+V pastes the next item.\n"
           "\n"
           "Commands for a running Pastiq:\n"
           "  start     start a session from the clipboard\n"
           "  end       end the running session\n"
           "  toggle    end the session, or start one from the selection (like Ctrl+Alt+C)\n"
           "  status    print the session's state as one line of JSON\n"
           "\n"
           "Other commands:\n"
           "  parse [--transposed] [FILE]  print how a copied text is split into items\n"
           "  --help                       show this help\n"
           "  --version                    show the version\n";
}

}  // namespace pastiq
