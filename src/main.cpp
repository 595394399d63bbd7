// Pastiq's entry point only picks the front end; everything else lives in the libraries.
#include <iostream>
#include <span>
#include <string_view>
#include <vector>

#include "app/control/cli/ParseCommand.h"
#ifdef PASTIQ_HAS_DESKTOP
#include "app/DesktopMain.h"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (!args.empty() && args.front() == "parse") {
        return pastiq::runParseCommand(std::span(args).subspan(1), std::cin, std::cout, std::cerr);
    }
#ifdef PASTIQ_HAS_DESKTOP
    return pastiq::runDesktop(argc, argv);
#else
    std::cerr << "pastiq: this build has only the parse command\n";
    return 2;
#endif
}
