#include "app/ports/QtScheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <memory>
#include <thread>
#include <vector>

namespace pastiq {
namespace {

using namespace std::chrono_literals;

TEST(QtSchedulerTest, RunSoonNeverRunsInsideTheCallAndKeepsOrder) {
    QtScheduler scheduler;
    std::vector<int> order;
    scheduler.runSoon([&] { order.push_back(1); });
    scheduler.runSoon([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());
    QTRY_COMPARE_WITH_TIMEOUT(order.size(), 2u, 1000);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(QtSchedulerTest, DelayedWorkRunsInDueOrderAndNotEarly) {
    QtScheduler scheduler;
    std::vector<int> order;
    QElapsedTimer clock;
    clock.start();
    qint64 lateRanAt = -1;
    const StepGuard owner;
    scheduler.runAfter(60ms, owner, [&] {
        order.push_back(2);
        lateRanAt = clock.elapsed();
    });
    scheduler.runAfter(20ms, owner, [&] { order.push_back(1); });
    QTRY_COMPARE_WITH_TIMEOUT(order.size(), 2u, 2000);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_GE(lateRanAt, 60);
}

TEST(QtSchedulerTest, WorkOfACancelledOrDestroyedOwnerNeverRuns) {
    QtScheduler scheduler;
    bool cancelledRan = false;
    bool keptRan = false;
    StepGuard cancelled;
    const StepGuard kept;
    scheduler.runAfter(10ms, cancelled, [&] { cancelledRan = true; });
    scheduler.runAfter(30ms, kept, [&] { keptRan = true; });
    cancelled.cancel();
    {
        const StepGuard destroyed;
        scheduler.runAfter(10ms, destroyed, [&] { cancelledRan = true; });
    }
    QTRY_VERIFY_WITH_TIMEOUT(keptRan, 2000);
    EXPECT_FALSE(cancelledRan);
}

TEST(QtSchedulerTest, PendingWorkDiesWithTheScheduler) {
    bool ran = false;
    {
        QtScheduler scheduler;
        const StepGuard owner;
        scheduler.runAfter(0ms, owner, [&] { ran = true; });
        scheduler.runSoon([&] { ran = true; });
    }
    QTest::qWait(30);
    EXPECT_FALSE(ran);
}

TEST(QtSchedulerTest, MainThreadPostHandsWorkFromAnotherThreadToTheMainThread) {
    QtScheduler scheduler;
    const auto post = scheduler.mainThreadPost();
    std::thread::id ranOn;
    std::thread poster([&] { post([&] { ranOn = std::this_thread::get_id(); }); });
    poster.join();
    QTRY_VERIFY_WITH_TIMEOUT(ranOn != std::thread::id(), 1000);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

}  // namespace
}  // namespace pastiq
