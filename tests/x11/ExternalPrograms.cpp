#include "ExternalPrograms.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace pastiq::testing {
namespace {

std::map<std::string, std::string> readTable() {
    std::map<std::string, std::string> packageOf;
    std::ifstream table(PASTIQ_EXTERNAL_PROGRAMS);
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line.substr(0, line.find('#')));
        std::string program;
        std::string package;
        if (fields >> program >> package) {
            packageOf.emplace(program, package);
        }
    }
    return packageOf;
}

bool onPath(const std::string& program) {
    if (program.starts_with('/')) {
        return access(program.c_str(), X_OK) == 0;
    }
    const char* path = std::getenv("PATH");
    std::istringstream directories(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string directory; std::getline(directories, directory, ':');) {
        if (access((std::filesystem::path(directory) / program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string programProblem(const std::string& command) {
    static const auto packageOf = readTable();
    const std::string program = command.substr(0, command.find(' '));
    const auto listed = packageOf.find(program);
    if (listed == packageOf.end()) {
        return "the tests may only run programs listed in " PASTIQ_EXTERNAL_PROGRAMS "; add " +
               program + " there with the Debian package that provides it";
    }
    if (!onPath(program)) {
        return "missing program " + program + " (package " + listed->second + "): add " +
               listed->second + " to scripts/debian-packages.txt";
    }
    return {};
}

}  // namespace pastiq::testing
