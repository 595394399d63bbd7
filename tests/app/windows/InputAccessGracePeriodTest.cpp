#include "app/windows/InputAccessGracePeriod.h"

#include <gtest/gtest.h>

#include "fakes/FakeInputAccess.h"
#include "fakes/FakeOnboarding.h"
#include "fakes/ManualScheduler.h"
#include "fakes/RecordingLog.h"

namespace pastiq {
namespace {

using namespace std::chrono_literals;
using namespace pastiq::testing;

class InputAccessGracePeriodTest : public ::testing::Test {
  protected:
    InputAccessGracePeriodTest() { access_.granted = false; }

    FakeInputAccess access_;
    FakeOnboarding onboarding_;
    ManualScheduler scheduler_;
    RecordingLog log_;
    InputAccessGracePeriod grace_{access_, onboarding_, scheduler_, log_};
};

TEST_F(InputAccessGracePeriodTest, TrustedAtLaunchLogsOnceAndNeverShowsTheWindow) {
    access_.granted = true;
    grace_.poll();
    scheduler_.runUntilIdle();
    EXPECT_EQ(log_.messages(), std::vector<std::string>{"Input access granted"});
    EXPECT_EQ(log_.entries().front().category, LogCategory::permissions);
    EXPECT_EQ(onboarding_.showCount, 0);
    EXPECT_EQ(access_.checkCount, 1);
}

TEST_F(InputAccessGracePeriodTest, AccessArrivingAfterOneSecondStopsAtTheCheckAt1200ms) {
    grace_.poll();
    scheduler_.advance(1000ms);
    EXPECT_EQ(access_.checkCount, 3);  // 0, 0.4, 0.8 s
    access_.granted = true;
    scheduler_.advance(199ms);
    EXPECT_TRUE(log_.entries().empty());
    scheduler_.advance(1ms);
    EXPECT_EQ(log_.messages(), std::vector<std::string>{"Input access granted"});
    scheduler_.runUntilIdle();
    EXPECT_EQ(access_.checkCount, 4);
    EXPECT_EQ(onboarding_.showCount, 0);
}

TEST_F(InputAccessGracePeriodTest, MissingAfterTheLastCheckShowsTheWindowExactlyOnce) {
    grace_.poll();
    scheduler_.advance(1999ms);
    EXPECT_EQ(onboarding_.showCount, 0);
    scheduler_.advance(1ms);
    EXPECT_EQ(onboarding_.showCount, 1);
    EXPECT_EQ(access_.checkCount, 6);  // 0, 0.4, 0.8, 1.2, 1.6 and 2.0 s
    scheduler_.runUntilIdle();
    EXPECT_EQ(onboarding_.showCount, 1);
    EXPECT_EQ(log_.count("Input access not granted after grace period"), 1);
}

TEST_F(InputAccessGracePeriodTest, PendingChecksStopWithTheGracePeriod) {
    auto grace = std::make_unique<InputAccessGracePeriod>(access_, onboarding_, scheduler_, log_);
    grace->poll();
    grace.reset();
    scheduler_.runUntilIdle();
    EXPECT_EQ(access_.checkCount, 1);
    EXPECT_EQ(onboarding_.showCount, 0);
}

}  // namespace
}  // namespace pastiq
