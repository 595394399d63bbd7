#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string_view>

namespace pastiq::testing {
namespace {

constexpr int kStartTimeoutMs = 10000;

std::string findXvfb() {
    const char* path = std::getenv("PATH");
    std::stringstream directories(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string directory; std::getline(directories, directory, ':');) {
        const auto candidate = std::filesystem::path(directory) / "Xvfb";
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

[[noreturn]] void runXvfb(const std::string& binary, int displayFd) {
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    const std::string fd = std::to_string(displayFd);
    execl(binary.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24",
          "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
}

std::string readDisplayNumber(int fd) {
    std::string number;
    pollfd ready{fd, POLLIN, 0};
    while (poll(&ready, 1, kStartTimeoutMs) > 0) {
        char byte = 0;
        if (read(fd, &byte, 1) != 1 || byte == '\n') {
            break;
        }
        number.push_back(byte);
    }
    return number;
}

}  // namespace

std::unique_ptr<XvfbServer> XvfbServer::start() {
    const std::string binary = findXvfb();
    int fds[2];
    if (binary.empty() || pipe2(fds, O_CLOEXEC) != 0) {
        return nullptr;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        // Only the write end may reach Xvfb.
        const int displayFd = dup(fds[1]);
        runXvfb(binary, displayFd);
    }
    close(fds[1]);
    const std::string number = pid > 0 ? readDisplayNumber(fds[0]) : std::string();
    close(fds[0]);
    if (number.empty()) {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        return nullptr;
    }
    return std::make_unique<XvfbServer>(Passkey{}, pid, ":" + number);
}

XvfbServer::XvfbServer(Passkey /*unused*/, pid_t pid, std::string display)
    : pid_(pid), display_(std::move(display)) {}

XvfbServer::~XvfbServer() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

}  // namespace pastiq::testing
