#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/ManualScheduler.h"

namespace pastiq::testing {
namespace {

// The engine's timing tests are only as good as this clock.
TEST(ManualSchedulerTest, RunsDueStepsInTimeOrderAndSoonWorkFirst) {
    ManualScheduler clock;
    std::vector<std::string> ran;
    const StepGuard owner;
    clock.runAfter(Delay{30}, owner, [&] { ran.emplace_back("30"); });
    clock.runAfter(Delay{0}, owner, [&] { ran.emplace_back("0"); });
    clock.runAfter(Delay{10}, owner, [&] { ran.emplace_back("10"); });
    clock.runSoon([&] { ran.emplace_back("soon"); });
    EXPECT_TRUE(ran.empty());
    clock.advance(Delay{20});
    EXPECT_EQ(ran, (std::vector<std::string>{"soon", "0", "10"}));
    EXPECT_EQ(clock.now(), Delay{20});
    clock.advance(Delay{10});
    EXPECT_EQ(ran.back(), "30");
}

TEST(ManualSchedulerTest, StepsScheduledWhileAdvancingRunWhenDue) {
    ManualScheduler clock;
    std::vector<int> at;
    const StepGuard owner;
    std::function<void()> tick = [&] {
        at.push_back(static_cast<int>(clock.now().count()));
        if (at.size() < 5) {
            clock.runAfter(Delay{20}, owner, tick);
        }
    };
    clock.runAfter(Delay{20}, owner, tick);
    clock.advance(Delay{70});
    EXPECT_EQ(at, (std::vector<int>{20, 40, 60}));
    clock.runUntilIdle();
    EXPECT_EQ(at, (std::vector<int>{20, 40, 60, 80, 100}));
    EXPECT_EQ(clock.pendingCount(), 0U);
}

TEST(ManualSchedulerTest, WorkOfACancelledOrDestroyedOwnerNeverRuns) {
    ManualScheduler clock;
    bool ran = false;
    StepGuard cancelled;
    clock.runAfter(Delay{5}, cancelled, [&] { ran = true; });
    cancelled.cancel();
    {
        const StepGuard destroyed;
        clock.runAfter(Delay{5}, destroyed, [&] { ran = true; });
    }
    StepGuard replaced;
    clock.runAfter(Delay{5}, replaced, [&] { ran = true; });
    replaced = StepGuard{};
    EXPECT_EQ(clock.pendingCount(), 0U);
    clock.advance(Delay{10});
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace pastiq::testing
