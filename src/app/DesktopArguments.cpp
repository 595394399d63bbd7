#include "app/DesktopArguments.h"

#include <array>
#include <utility>

namespace pastiq {

namespace {

constexpr std::string_view kFileOption = "--file";

DesktopRequest invalid(std::string error) {
    return DesktopRequest{.command = DesktopCommand::invalid, .error = std::move(error)};
}

DesktopCommand commandNamed(std::string_view word) {
    static constexpr std::array<std::pair<std::string_view, DesktopCommand>, 8> kWords{{
        {"start", DesktopCommand::start},
        {"end", DesktopCommand::end},
        {"toggle", DesktopCommand::toggle},
        {"status", DesktopCommand::status},
        {"quit", DesktopCommand::quit},
        {"--help", DesktopCommand::help},
        {"-h", DesktopCommand::help},
        {"--version", DesktopCommand::version},
    }};
    for (const auto& [name, command] : kWords) {
        if (word == name) {
            return command;
        }
    }
    return DesktopCommand::invalid;
}

// `start [--file FILE | --file=FILE | -]`.
DesktopRequest parseStart(std::span<const std::string_view> options) {
    DesktopRequest request{.command = DesktopCommand::start};
    for (std::size_t index = 0; index < options.size(); ++index) {
        const std::string_view option = options[index];
        std::optional<std::string_view> file;
        if (option == "-") {
            file = option;
        } else if (option == kFileOption && index + 1 < options.size()) {
            file = options[++index];
        } else if (option.starts_with(std::string(kFileOption) + "=")) {
            file = option.substr(kFileOption.size() + 1);
        } else if (option == kFileOption) {
            return invalid("option --file needs a FILE");
        } else {
            return invalid("start does not take '" + std::string(option) + "'");
        }
        if (request.textFile || file->empty()) {
            return invalid("start takes one FILE");
        }
        request.textFile = std::string(*file);
    }
    return request;
}

// `status [--follow]`.
DesktopRequest parseStatus(std::span<const std::string_view> options) {
    DesktopRequest request{.command = DesktopCommand::status};
    for (const std::string_view option : options) {
        if (option != "--follow" || request.follow) {
            return invalid("status does not take '" + std::string(option) + "'");
        }
        request.follow = true;
    }
    return request;
}

// `--backend x11|wayland` or `--backend=...`, the tray program's only option.
DesktopRequest parseRunApp(std::span<const std::string_view> args) {
    constexpr std::string_view kBackendOption = "--backend";
    std::string_view name;
    if (args.size() == 2 && args[0] == kBackendOption) {
        name = args[1];
    } else if (args.size() == 1 && args[0].starts_with("--backend=")) {
        name = args[0].substr(kBackendOption.size() + 1);
    } else if (args.size() == 1 && args[0] == kBackendOption) {
        return invalid("option --backend needs x11 or wayland");
    } else {
        return invalid("unknown command '" + std::string(args.front()) + "'");
    }
    if (name == "x11") {
        return DesktopRequest{.backend = BackendChoice::x11};
    }
    if (name == "wayland") {
        return DesktopRequest{.backend = BackendChoice::wayland};
    }
    return invalid("unknown backend '" + std::string(name) + "' (x11 or wayland)");
}

}  // namespace

DesktopRequest parseDesktopArguments(std::span<const std::string_view> args) {
    if (args.empty()) {
        return {};
    }
    const DesktopCommand command = commandNamed(args.front());
    const auto options = args.subspan(1);
    switch (command) {
        case DesktopCommand::invalid:
            return parseRunApp(args);
        case DesktopCommand::start:
            return parseStart(options);
        case DesktopCommand::status:
            return parseStatus(options);
        default:
            if (!options.empty()) {
                return invalid(std::string(args.front()) + " does not take '" +
                               std::string(options.front()) + "'");
            }
            return DesktopRequest{.command = command};
    }
}

std::string_view desktopUsage() {
    return "Usage: pastiq [--backend x11|wayland | COMMAND [OPTION...]]\n"
           "\n"
           "Without a command, starts Pastiq in the tray: copy a list, start a session, and\n"
           "every Ctrl+V pastes the next item.\n"
           "  --backend x11|wayland  reach the keyboard and the clipboard through this\n"
           "                         protocol instead of the session's own\n"
           "\n"
           "Commands for a running Pastiq:\n"
           "  start                start a session from the clipboard, replacing a running one\n"
           "  start --file FILE    start a session from the text of FILE instead\n"
           "  start -              start a session from the text on standard input\n"
           "  end                  end the running session\n"
           "  toggle               end the session, or start one from the selection (like\n"
           "                       Ctrl+Alt+C)\n"
           "  status               print the session's state as one line of JSON\n"
           "  status --follow      print it again after every change, until Pastiq quits\n"
           "  quit                 end the session and quit the running Pastiq\n"
           "\n"
           "Other commands:\n"
           "  parse [--transposed] [FILE]  print how a copied text is split into items\n"
           "  --help, -h                   show this help\n"
           "  --version                    show the version\n"
           "\n"
           "Exit status: 0 done; 1 no Pastiq running, or nothing to queue; 2 usage error;\n"
           "3 refused (a text too large to queue, or no input access).\n";
}

}  // namespace pastiq
