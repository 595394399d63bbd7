#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

#include "platform/x11/PasteFlowControl.h"

namespace pastiq::x11 {
namespace {

using namespace std::chrono_literals;
using Clock = PasteFlowControl::Clock;

// The flow control with a hold the test can refuse, counting holds and releases.
struct Harness {
    // A key write: true when held; otherwise it goes ahead as entry `serial`.
    bool keyWrite(std::uint64_t serial, Clock::time_point arrived = Clock::now()) {
        if (flow.holdsKeyWrite(arrived)) {
            return true;
        }
        flow.keyWriteTaken(serial);
        return false;
    }
    void passBound() { timers.runDue(Clock::now() + PasteFlowControl::kHoldBound); }

    TimerQueue timers;
    bool canHold = true;
    int holds = 0;
    int releases = 0;
    PasteFlowControl flow{timers,
                          [this] {
                              holds += canHold ? 1 : 0;
                              return canHold;
                          },
                          [this] { ++releases; }};
};

TEST(PasteFlowControlTest, AWriteWaitsUntilThePreviousKeysTextIsFetched) {
    Harness h;
    EXPECT_FALSE(h.keyWrite(1));  // nothing earlier to wait for
    ASSERT_TRUE(h.keyWrite(2));
    EXPECT_EQ(h.holds, 1);
    h.flow.textFetched(0);  // an older entry, asked for by its time
    EXPECT_EQ(h.releases, 0);
    h.flow.textFetched(1);
    EXPECT_EQ(h.releases, 1);
    EXPECT_TRUE(h.timers.empty());
    // Run again after the release, the write goes ahead and is awaited in turn.
    EXPECT_FALSE(h.keyWrite(2));
    EXPECT_TRUE(h.keyWrite(3));
}

TEST(PasteFlowControlTest, NothingIsHeldWhenThereIsNothingToWaitFor) {
    struct Case {
        const char* name;
        std::function<void(Harness&)> between;
        Clock::duration keyAge;
    };
    const Case cases[] = {
        {"earlier text fetched", [](Harness& h) { h.flow.textFetched(1); }, 0ms},
        {"a write for no key replaced it", [](Harness& h) { h.flow.otherWriteTaken(); }, 0ms},
        {"another owner took the clipboard", [](Harness& h) { h.flow.ownershipLost(); }, 0ms},
        {"the key already used up the bound", [](Harness&) {}, PasteFlowControl::kHoldBound},
        {"the loop cannot hold", [](Harness& h) { h.canHold = false; }, 0ms},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        Harness h;
        h.keyWrite(1);
        testCase.between(h);
        EXPECT_FALSE(h.keyWrite(2, Clock::now() - testCase.keyAge));
        EXPECT_EQ(h.releases, 0);
    }
}

TEST(PasteFlowControlTest, AHoldThatRunsOutIsPaidOnceUntilSomethingIsFetchedAgain) {
    Harness h;
    h.keyWrite(1);
    ASSERT_TRUE(h.keyWrite(2));
    h.passBound();
    EXPECT_EQ(h.releases, 1);
    EXPECT_FALSE(h.keyWrite(2));
    // The keys go to a place that does not paste: no further waiting.
    EXPECT_FALSE(h.keyWrite(3));
    EXPECT_FALSE(h.keyWrite(4));
    EXPECT_EQ(h.holds, 1);
    // A fetch shows the keys reach a paste again; the next key write is awaited once more.
    h.flow.textFetched(4);
    EXPECT_FALSE(h.keyWrite(5));
    EXPECT_TRUE(h.keyWrite(6));
}

TEST(PasteFlowControlTest, LosingTheClipboardEndsAHold) {
    Harness h;
    h.keyWrite(1);
    ASSERT_TRUE(h.keyWrite(2));
    h.flow.ownershipLost();
    EXPECT_EQ(h.releases, 1);
    EXPECT_TRUE(h.timers.empty());
    EXPECT_FALSE(h.keyWrite(2));
}

// The key after a paste follows the application having the whole text: a transfer in
// increments lets the next write go ahead at once, but counts for the key only at its end.
TEST(PasteFlowControlTest, AKeyHearsOfItsTextOnceTheWholeTextIsDelivered) {
    Harness h;
    std::vector<std::uint32_t> delivered;
    h.flow.setKeyFetchObserver([&](std::uint32_t keyTime) { delivered.push_back(keyTime); });
    h.flow.keyWriteTaken(1, 100);
    ASSERT_TRUE(h.keyWrite(2));
    h.flow.textFetched(1);
    EXPECT_EQ(h.releases, 1);
    EXPECT_TRUE(delivered.empty());
    h.flow.textDelivered(1);
    h.flow.textDelivered(1);  // read again: told once
    EXPECT_EQ(delivered, std::vector<std::uint32_t>{100});
}

}  // namespace
}  // namespace pastiq::x11
