#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
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
    // The X display it was started on (DISPLAY, screen number dropped), or nothing when its
    // environment cannot be read.
    std::optional<std::string> display;
};

// ":0.1" and ":0" name the same display; Pastiq grabs keys on a display, not a screen.
[[nodiscard]] std::string normalizedDisplay(std::string_view display);

// Reads every process under a /proc-like directory. Processes that vanish or cannot be read
// while scanning are left out.
[[nodiscard]] std::vector<ProcessRecord> readProcessTable(
    const std::filesystem::path& procRoot = "/proc");

// Reads one /proc/PID directory; nothing when it is gone or unreadable.
[[nodiscard]] std::optional<ProcessRecord> readProcessRecord(const std::filesystem::path& dir);

// Whether `a` started before `b`. Processes started in the same clock tick are ordered by pid,
// so two instances started together agree on which of them is the newer one.
[[nodiscard]] bool startedBefore(const ProcessRecord& a, const ProcessRecord& b);

// The running tray programs of this user on this display that started before this process:
// executables named "pastiq" started without arguments. The short-lived front ends
// (`pastiq status`, `pastiq parse`, ...) and zombies are not instances, and neither is a Pastiq
// serving another X session of the same user. One whose display is unknown counts. Newer ones
// are left alone: they quit this one, so of instances started together exactly one survives.
[[nodiscard]] std::vector<ProcessRecord> olderDesktopInstances(
    const std::vector<ProcessRecord>& table, uid_t uid, pid_t self, std::string_view display);

// Whether `instance` still runs in `table`: the same pid with the same start time, not a zombie.
[[nodiscard]] bool isStillRunning(const ProcessRecord& instance,
                                  const std::vector<ProcessRecord>& table);

}  // namespace pastiq
