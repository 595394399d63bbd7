#include "app/system/InstanceScan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <fstream>

namespace pastiq {
namespace {

namespace fs = std::filesystem;

// A /proc-like tree written the way the kernel lays it out.
class FakeProc {
  public:
    struct Process {
        pid_t pid;
        uid_t uid;
        std::string exe;      // symlink target; empty for none (kernel threads)
        std::string cmdline;  // NUL-separated
        char state = 'S';
        std::uint64_t startTime = 1000;
        std::string comm = "pastiq";
        std::string environ = std::string("DISPLAY=:0") + '\0' + "HOME=/h" + '\0';
    };

    void add(const Process& process) {
        const fs::path dir = root() / std::to_string(process.pid);
        fs::create_directories(dir);
        write(dir / "status", "Name:\t" + process.comm + "\nUid:\t" + std::to_string(process.uid) +
                                  "\t" + std::to_string(process.uid) + "\t0\t0\n");
        // The command name may hold spaces and parentheses.
        std::string stat = std::to_string(process.pid) + " (" + process.comm + ") " + process.state;
        for (int field = 4; field < 22; ++field) {
            stat += " 0";
        }
        stat += " " + std::to_string(process.startTime) + " 0 0\n";
        write(dir / "stat", stat);
        write(dir / "cmdline", process.cmdline);
        write(dir / "comm", process.comm + "\n");
        if (process.environ != "unreadable") {
            write(dir / "environ", process.environ);
        }
        if (!process.exe.empty()) {
            fs::create_symlink(process.exe, dir / "exe");
        }
    }

    [[nodiscard]] fs::path root() const { return fs::path(dir_.path().toStdString()); }

  private:
    static void write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    QTemporaryDir dir_;
};

std::string argv(std::initializer_list<std::string> parts) {
    std::string joined;
    for (const auto& part : parts) {
        joined += part;
        joined.push_back('\0');
    }
    return joined;
}

std::vector<pid_t> pids(const std::vector<ProcessRecord>& records) {
    std::vector<pid_t> result;
    result.reserve(records.size());
    for (const auto& record : records) {
        result.push_back(record.pid);
    }
    std::sort(result.begin(), result.end());
    return result;
}

TEST(InstanceScanTest, FindsOnlyThisUsersOtherTrayPrograms) {
    FakeProc proc;
    const uid_t me = 1000;
    proc.add({100, me, "/usr/bin/pastiq", argv({"pastiq"})});
    proc.add({101, me, "/home/u/src/build/pastiq (deleted)", argv({"./build/pastiq"})});
    proc.add({102, me, "/usr/bin/pastiq", argv({"pastiq", "status"})});  // a front end
    proc.add({103, me, "/usr/bin/pastiq", argv({"pastiq", "parse", "x"})});
    proc.add({104, 1001, "/usr/bin/pastiq", argv({"pastiq"})});     // another user
    proc.add({105, me, "/usr/bin/pastiq", argv({"pastiq"}), 'Z'});  // already dead
    proc.add({106, me, "/usr/bin/vim", argv({"vim", "pastiq"}), 'S', 1, "vim"});
    proc.add({107, me, "/usr/bin/pastiq-helper", argv({"pastiq-helper"})});
    proc.add({108, me, "", "", 'S', 1, "pastiq"});  // kernel-thread-like: no exe, no argv
    proc.add({200, me, "/usr/bin/pastiq", argv({"pastiq"})});  // this process
    // Another X session of the same user keeps its own Pastiq.
    proc.add({110, me, "/usr/bin/pastiq", argv({"pastiq"}), 'S', 1, "pastiq", "DISPLAY=:1"});
    proc.add({111, me, "/usr/bin/pastiq", argv({"pastiq"}), 'S', 1, "pastiq", "DISPLAY=:0.1"});
    proc.add({112, me, "/usr/bin/pastiq", argv({"pastiq"}), 'S', 1, "pastiq", "unreadable"});

    const auto table = readProcessTable(proc.root());
    EXPECT_EQ(table.size(), 13u);
    EXPECT_EQ(pids(olderDesktopInstances(table, me, 200, ":0")),
              (std::vector<pid_t>{100, 101, 111, 112}));
}

TEST(InstanceScanTest, FallsBackToTheCommandNameWhenExeIsUnreadable) {
    FakeProc proc;
    proc.add({300, 7, "", argv({"pastiq"}), 'S', 5, "pastiq"});
    const auto table = readProcessTable(proc.root());
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table.front().executableName, "pastiq");
    EXPECT_EQ(table.front().startTime, 5u);
    EXPECT_EQ(pids(olderDesktopInstances(table, 7, 1, ":0.0")), (std::vector<pid_t>{300}));
}

TEST(InstanceScanTest, CommandNamesWithParenthesesDoNotShiftTheFields) {
    FakeProc proc;
    proc.add({400, 7, "/usr/bin/pastiq", argv({"pastiq"}), 'Z', 77, "a) (b"});
    const auto record = readProcessRecord(proc.root() / "400");
    ASSERT_TRUE(record.has_value());
    EXPECT_TRUE(record->isZombie);
    EXPECT_EQ(record->startTime, 77u);
}

TEST(InstanceScanTest, SkipsEntriesThatAreNotProcesses) {
    FakeProc proc;
    fs::create_directories(proc.root() / "self-like");
    fs::create_directories(proc.root() / "12abc");
    fs::create_directories(proc.root() / "13");  // vanished mid-scan: no files
    proc.add({14, 7, "/usr/bin/pastiq", argv({"pastiq"})});
    EXPECT_EQ(pids(readProcessTable(proc.root())), (std::vector<pid_t>{14}));
}

TEST(InstanceScanTest, DisplaysDifferingOnlyInTheScreenAreTheSame) {
    EXPECT_EQ(normalizedDisplay(":0.1"), ":0");
    EXPECT_EQ(normalizedDisplay("host:10.0"), "host:10");
    EXPECT_EQ(normalizedDisplay(":12"), ":12");
    EXPECT_EQ(normalizedDisplay("10.0.0.1:3"), "10.0.0.1:3");
    EXPECT_EQ(normalizedDisplay(""), "");
}

// Two Pastiqs started together each scan the other: exactly one of them may see the other as
// older, or both quit (or neither does).
TEST(InstanceScanTest, InstancesStartedTogetherAgreeWhichIsNewer) {
    struct Start {
        pid_t pid;
        std::uint64_t startTime;
    };
    const std::vector<std::pair<Start, Start>> pairs{
        {{10, 5}, {11, 6}},  // different ticks
        {{11, 5}, {10, 6}},  // the later start has the smaller pid
        {{20, 7}, {21, 7}},  // the same tick: the pid decides
        {{900, 7}, {30, 7}},
    };
    for (const auto& [a, b] : pairs) {
        const ProcessRecord first{a.pid, 7, "pastiq", {"pastiq"}, a.startTime, false, ":0"};
        const ProcessRecord second{b.pid, 7, "pastiq", {"pastiq"}, b.startTime, false, ":0"};
        const std::vector<ProcessRecord> table{first, second};
        const auto olderThanFirst = olderDesktopInstances(table, 7, first.pid, ":0");
        const auto olderThanSecond = olderDesktopInstances(table, 7, second.pid, ":0");
        EXPECT_EQ(olderThanFirst.size() + olderThanSecond.size(), 1u) << a.pid << " " << b.pid;
        const bool firstIsOlder = olderThanSecond.size() == 1;
        EXPECT_EQ(firstIsOlder, startedBefore(first, second)) << a.pid << " " << b.pid;
    }
}

TEST(InstanceScanTest, StillRunningNeedsTheSamePidAndStartTime) {
    const ProcessRecord asked{50, 7, "pastiq", {"pastiq"}, 900, false, ":0"};
    EXPECT_TRUE(isStillRunning(asked, {asked}));
    ProcessRecord reused = asked;
    reused.startTime = 901;  // the pid now belongs to a newer process
    EXPECT_FALSE(isStillRunning(asked, {reused}));
    ProcessRecord zombie = asked;
    zombie.isZombie = true;
    EXPECT_FALSE(isStillRunning(asked, {zombie}));
    EXPECT_FALSE(isStillRunning(asked, {}));
}

TEST(InstanceScanTest, TheRealProcTableHoldsThisProcess) {
    const auto table = readProcessTable();
    const auto self = std::find_if(table.begin(), table.end(),
                                   [](const ProcessRecord& r) { return r.pid == ::getpid(); });
    ASSERT_NE(self, table.end());
    EXPECT_EQ(self->uid, ::getuid());
    EXPECT_FALSE(self->arguments.empty());
}

}  // namespace
}  // namespace pastiq
