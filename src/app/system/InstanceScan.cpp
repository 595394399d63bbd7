#include "app/system/InstanceScan.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>
#include <system_error>

namespace pastiq {

namespace {

constexpr std::string_view kProgramName = "pastiq";

std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    try {
        return std::string(std::istreambuf_iterator<char>(in), {});
    } catch (const std::ios_base::failure&) {
        // A process exiting mid-read, or an entry that is not a regular file.
        return std::nullopt;
    }
}

std::optional<pid_t> pidFromName(const std::string& name) {
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end != name.data() + name.size() || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

// The real uid: the first number on the "Uid:" line of /proc/PID/status.
std::optional<uid_t> realUid(const std::string& status) {
    std::istringstream lines(status);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("Uid:", 0) == 0) {
            std::istringstream fields(line.substr(4));
            uid_t uid = 0;
            if (fields >> uid) {
                return uid;
            }
        }
    }
    return std::nullopt;
}

std::vector<std::string> splitNulTerminated(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = std::min(text.find('\0', begin), text.size());
        parts.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

// /proc/PID/exe names a replaced binary "path (deleted)", e.g. right after a rebuild.
std::string executableName(const std::filesystem::path& dir) {
    std::error_code error;
    std::string target = std::filesystem::read_symlink(dir / "exe", error).filename().string();
    if (!error && !target.empty()) {
        constexpr std::string_view kDeleted = " (deleted)";
        if (target.ends_with(kDeleted)) {
            target.resize(target.size() - kDeleted.size());
        }
        return target;
    }
    std::string comm = readWholeFile(dir / "comm").value_or("");
    while (!comm.empty() && comm.back() == '\n') {
        comm.pop_back();
    }
    return comm;
}

std::optional<std::string> displayOf(const std::filesystem::path& dir) {
    const auto environment = readWholeFile(dir / "environ");
    if (!environment) {
        return std::nullopt;
    }
    constexpr std::string_view kPrefix = "DISPLAY=";
    for (const std::string& variable : splitNulTerminated(*environment)) {
        if (variable.starts_with(kPrefix)) {
            return normalizedDisplay(std::string_view(variable).substr(kPrefix.size()));
        }
    }
    return std::string();
}

// State (field 3) and start time (field 22) of /proc/PID/stat. The command name in field 2 may
// contain spaces and parentheses, so fields are counted after its last ')'.
struct StatFields {
    char state = '?';
    std::uint64_t startTime = 0;
};

std::optional<StatFields> parseStat(const std::string& stat) {
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(stat.substr(close + 1));
    StatFields parsed;
    if (!(fields >> parsed.state)) {
        return std::nullopt;
    }
    std::string skipped;
    for (int field = 4; field < 22; ++field) {
        fields >> skipped;
    }
    if (!(fields >> parsed.startTime)) {
        return std::nullopt;
    }
    return parsed;
}

}  // namespace

std::string normalizedDisplay(std::string_view display) {
    const std::size_t colon = display.rfind(':');
    const std::size_t dot = display.rfind('.');
    if (colon != std::string_view::npos && dot != std::string_view::npos && dot > colon) {
        display = display.substr(0, dot);
    }
    return std::string(display);
}

std::optional<ProcessRecord> readProcessRecord(const std::filesystem::path& dir) {
    const auto pid = pidFromName(dir.filename().string());
    if (!pid) {
        return std::nullopt;
    }
    const auto status = readWholeFile(dir / "status");
    const auto stat = readWholeFile(dir / "stat");
    if (!status || !stat) {
        return std::nullopt;
    }
    const auto uid = realUid(*status);
    const auto statFields = parseStat(*stat);
    if (!uid || !statFields) {
        return std::nullopt;
    }
    ProcessRecord record;
    record.pid = *pid;
    record.uid = *uid;
    record.executableName = executableName(dir);
    record.arguments = splitNulTerminated(readWholeFile(dir / "cmdline").value_or(""));
    record.startTime = statFields->startTime;
    record.isZombie = statFields->state == 'Z';
    record.display = displayOf(dir);
    return record;
}

std::vector<ProcessRecord> readProcessTable(const std::filesystem::path& procRoot) {
    std::vector<ProcessRecord> table;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, error)) {
        if (auto record = readProcessRecord(entry.path())) {
            table.push_back(std::move(*record));
        }
    }
    return table;
}

bool startedBefore(const ProcessRecord& a, const ProcessRecord& b) {
    return a.startTime != b.startTime ? a.startTime < b.startTime : a.pid < b.pid;
}

std::vector<ProcessRecord> olderDesktopInstances(const std::vector<ProcessRecord>& table, uid_t uid,
                                                 pid_t self, std::string_view display) {
    const std::string ours = normalizedDisplay(display);
    const auto selfRecord =
        std::find_if(table.begin(), table.end(),
                     [&](const ProcessRecord& record) { return record.pid == self; });
    const auto isOlder = [&](const ProcessRecord& record) {
        return selfRecord == table.end() || startedBefore(record, *selfRecord);
    };
    std::vector<ProcessRecord> instances;
    std::copy_if(table.begin(), table.end(), std::back_inserter(instances),
                 [&](const ProcessRecord& record) {
                     return record.pid != self && record.uid == uid && !record.isZombie &&
                            record.executableName == kProgramName && record.arguments.size() == 1 &&
                            (!record.display || *record.display == ours) && isOlder(record);
                 });
    return instances;
}

bool isStillRunning(const ProcessRecord& instance, const std::vector<ProcessRecord>& table) {
    return std::any_of(table.begin(), table.end(), [&](const ProcessRecord& record) {
        return record.pid == instance.pid && record.startTime == instance.startTime &&
               !record.isZombie;
    });
}

}  // namespace pastiq
