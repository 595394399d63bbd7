#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pastiq {

// One process as /proc shows it, with what the single-instance rule needs.
struct ProcessRecord {
    pid_t pid = 0;
    uid_t uid = 0;
    std::string executableName;          // base name of /proc/PID/exe, else of /proc/PID/comm
    std::vector<std::string> arguments;  // argv, program name first
    std::uint64_t startTime = 0;         // clock ticks after boot: tells a reused pid apart
    bool isZombie = false;
};

// Reads every process under a /proc-like directory. Processes that vanish or cannot be read
// while scanning are left out.
[[nodiscard]] std::vector<ProcessRecord> readProcessTable(
    const std::filesystem::path& procRoot = "/proc");

// Reads one /proc/PID directory; nothing when it is gone or unreadable.
[[nodiscard]] std::optional<ProcessRecord> readProcessRecord(const std::filesystem::path& dir);

// The running tray programs of this user other than this process: executables named "pastiq"
// started without arguments. The short-lived front ends (`pastiq status`, `pastiq parse`, ...)
// and zombies are not instances.
[[nodiscard]] std::vector<ProcessRecord> otherDesktopInstances(
    const std::vector<ProcessRecord>& table, uid_t uid, pid_t self);

// Whether `instance` still runs in `table`: the same pid with the same start time, not a zombie.
[[nodiscard]] bool isStillRunning(const ProcessRecord& instance,
                                  const std::vector<ProcessRecord>& table);

}  // namespace pastiq
