#include "app/system/OlderInstanceTerminator.h"

#include <gtest/gtest.h>
#include <signal.h>

#include "fakes/ManualScheduler.h"
#include "fakes/RecordingLog.h"

namespace pastiq {
namespace {

using namespace std::chrono_literals;
using testing::ManualScheduler;
using testing::RecordingLog;

constexpr uid_t kUser = 1000;
constexpr pid_t kSelf = 500;

ProcessRecord tray(pid_t pid, std::uint64_t startTime = 10) {
    return ProcessRecord{pid, kUser, "pastiq", {"pastiq"}, startTime, false, ":0"};
}

// A process table that the test edits, and a record of the signals sent.
class OlderInstanceTerminatorTest : public ::testing::Test {
  protected:
    OlderInstanceTerminator makeTerminator() {
        return OlderInstanceTerminator(OlderInstanceTerminator::System{
                                           [this] { return table_; },
                                           [this](const ProcessRecord& process, int signal) {
                                               signals_.emplace_back(process.pid, signal);
                                           },
                                           kUser,
                                           kSelf,
                                           ":0",
                                       },
                                       scheduler_, log_);
    }

    std::vector<ProcessRecord> table_;
    std::vector<std::pair<pid_t, int>> signals_;
    ManualScheduler scheduler_;
    RecordingLog log_;
};

TEST_F(OlderInstanceTerminatorTest, AsksOlderInstancesToQuitAndKillsSurvivorsAfterTheDelay) {
    table_ = {tray(kSelf), tray(101), tray(102)};
    auto terminator = makeTerminator();
    int goneCalls = 0;
    EXPECT_EQ(terminator.quitOtherInstances([&] { ++goneCalls; }), 2u);
    EXPECT_EQ(signals_, (std::vector<std::pair<pid_t, int>>{{101, SIGTERM}, {102, SIGTERM}}));
    EXPECT_EQ(log_.count("Quitting older instance pid 101"), 1);
    EXPECT_EQ(log_.count("Quitting older instance pid 102"), 1);

    table_ = {tray(kSelf), tray(102)};  // 101 quit, 102 ignored the request
    scheduler_.advance(1499ms);
    EXPECT_EQ(signals_.size(), 2u);
    scheduler_.advance(1ms);
    EXPECT_EQ(signals_.back(), (std::pair<pid_t, int>{102, SIGKILL}));
    EXPECT_EQ(signals_.size(), 3u);
    // The hand-over waits for the killed process's grabs to be released.
    EXPECT_EQ(goneCalls, 0);
    scheduler_.advance(OlderInstanceTerminator::kReapDelay);
    EXPECT_EQ(goneCalls, 1);
}

TEST_F(OlderInstanceTerminatorTest, NeverSignalsItselfAndDoesNothingWhenAlone) {
    table_ = {tray(kSelf)};
    auto terminator = makeTerminator();
    bool gone = false;
    EXPECT_EQ(terminator.quitOtherInstances([&] { gone = true; }), 0u);
    scheduler_.runUntilIdle();
    EXPECT_TRUE(signals_.empty());
    EXPECT_TRUE(log_.entries().empty());
    EXPECT_FALSE(gone);
}

TEST_F(OlderInstanceTerminatorTest, SparesAPidReusedByAnotherProcess) {
    table_ = {tray(kSelf), tray(101, 10)};
    auto terminator = makeTerminator();
    bool gone = false;
    terminator.quitOtherInstances([&] { gone = true; });
    table_ = {tray(kSelf), tray(101, 99)};  // 101 quit and its pid went to a newer process
    scheduler_.advance(OlderInstanceTerminator::kKillDelay);
    EXPECT_EQ(signals_, (std::vector<std::pair<pid_t, int>>{{101, SIGTERM}}));
    EXPECT_TRUE(gone);  // nothing was killed, so no reap wait
}

TEST_F(OlderInstanceTerminatorTest, TheKillCheckIsDroppedWithTheTerminator) {
    table_ = {tray(kSelf), tray(101)};
    bool gone = false;
    {
        auto terminator = makeTerminator();
        terminator.quitOtherInstances([&] { gone = true; });
    }
    scheduler_.runUntilIdle();
    EXPECT_EQ(signals_.size(), 1u);
    EXPECT_FALSE(gone);
}

}  // namespace
}  // namespace pastiq
