#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wayland/BridgeWait.h"

namespace pastiq::wayland {
namespace {

using Clock = BridgeWait::Clock;

// Writes entries by serial and records which of them were reported applied, in order, and
// whether the compositor had asked for each.
struct Harness {
    void write(std::uint64_t serial, bool hasText = true) {
        wait.await(serial, hasText, [this, serial] { applied.push_back(serial); });
    }
    void passBound() { timers.runDue(Clock::now() + BridgeWait::kBound); }
    // The compositor's request for the targets of `serial`, and the moment it takes to make
    // its offer.
    void serve(std::uint64_t serial) {
        wait.served(serial, false);
        timers.runDue(Clock::now() + BridgeWait::kSettle);
    }

    x11::TimerQueue timers;
    BridgeWait wait{timers};
    std::vector<std::uint64_t> applied;
    std::vector<bool> asked;
    Harness() {
        wait.setObserver(
            [this](Clock::duration /*waited*/, bool wasAsked) { asked.push_back(wasAsked); });
    }
};

TEST(BridgeWaitTest, AWriteIsAppliedOnceTheCompositorAskedForItOrALaterEntry) {
    struct Case {
        std::string name;
        std::vector<std::uint64_t> writes;
        std::vector<std::uint64_t> served;
        std::vector<std::uint64_t> applied;
    };
    const std::vector<Case> cases{
        {"asked for the entry", {1}, {1}, {1}},
        {"not asked yet", {1}, {}, {}},
        // A request the compositor sent before the write, for the entry before, arrives after.
        {"asked for the entry before", {4}, {3}, {}},
        {"asked for the last of a burst", {1, 2, 3}, {3}, {1, 2, 3}},
        {"asked for the middle of a burst", {1, 2, 3}, {2}, {1, 2}},
        {"asked twice", {1}, {1, 1}, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        for (const auto serial : c.writes) {
            h.write(serial);
        }
        for (const auto serial : c.served) {
            h.serve(serial);
        }
        EXPECT_EQ(h.applied, c.applied);
        EXPECT_EQ(h.asked, std::vector<bool>(c.applied.size(), true));
        // A write released by a request no longer has its bound to run.
        EXPECT_EQ(h.timers.empty(), c.applied.size() == c.writes.size());
    }
}

TEST(BridgeWaitTest, AWriteNeverAskedForIsAppliedOnceWhenTheBoundPasses) {
    Harness h;
    h.write(1);
    h.timers.runDue(Clock::now() + BridgeWait::kBound / 2);
    EXPECT_TRUE(h.applied.empty());
    h.passBound();
    h.serve(1);  // the compositor asking late does not apply it again
    EXPECT_EQ(h.applied, std::vector<std::uint64_t>{1});
    EXPECT_EQ(h.asked, std::vector<bool>{false});
}

TEST(BridgeWaitTest, AnAskedWriteIsAppliedOnlyOnceTheCompositorHadTimeToOfferIt) {
    Harness h;
    h.write(1);
    h.wait.served(1, false);
    EXPECT_TRUE(h.applied.empty());
    EXPECT_EQ(h.asked, std::vector<bool>{true});  // measured when asked, not when applied
    h.timers.runDue(Clock::now() + BridgeWait::kSettle);
    EXPECT_EQ(h.applied, std::vector<std::uint64_t>{1});
    EXPECT_TRUE(h.timers.empty());
}

TEST(BridgeWaitTest, AWriteAfterOneThatRanOutStillWaitsForItsOwnRequest) {
    Harness h;
    h.write(1);
    h.passBound();
    h.write(2);
    h.serve(1);
    EXPECT_EQ(h.applied, std::vector<std::uint64_t>{1});
    h.serve(2);
    EXPECT_EQ(h.applied, (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(h.asked, (std::vector<bool>{false, true}));
}

TEST(BridgeWaitTest, AWriteWithTextIsAppliedWhenTheCompositorReadsItOnceItIsSeenToDoSo) {
    // A script step: a write with text (w) or empty (e), the compositor asking for the
    // targets (t, then the settle passes) or reading the text (r), or the bound passing (b).
    struct Step {
        char op;
        std::uint64_t serial = 0;
    };
    struct Case {
        std::string name;
        std::vector<Step> steps;
        std::vector<std::uint64_t> applied;
    };
    const std::vector<Case> cases{
        {"read at once after the targets", {{'w', 1}, {'t', 1}, {'r', 1}}, {1}},
        {"read before the settle passed", {{'w', 1}, {'r', 1}}, {1}},
        // Seen reading the first item, it is waited for on the next: the targets are too early.
        {"the next item's targets only", {{'w', 1}, {'r', 1}, {'w', 2}, {'t', 2}}, {1}},
        {"the next item read", {{'w', 1}, {'r', 1}, {'w', 2}, {'t', 2}, {'r', 2}}, {1, 2}},
        {"the next item never read", {{'w', 1}, {'r', 1}, {'w', 2}, {'t', 2}, {'b'}}, {1, 2}},
        // Nothing to read in an empty write.
        {"an empty write after one read", {{'w', 1}, {'r', 1}, {'e', 2}, {'t', 2}}, {1, 2}},
        // A read of an entry applied already says nothing about the one waiting.
        {"a late read of the entry before",
         {{'w', 1}, {'r', 1}, {'w', 2}, {'r', 1}, {'t', 2}},
         {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        for (const auto& step : c.steps) {
            switch (step.op) {
                case 'w':
                    h.write(step.serial);
                    break;
                case 'e':
                    h.write(step.serial, false);
                    break;
                case 't':
                    h.serve(step.serial);
                    break;
                case 'r':
                    h.wait.served(step.serial, true);
                    break;
                default:
                    h.passBound();
                    break;
            }
        }
        EXPECT_EQ(h.applied, c.applied);
    }
}

}  // namespace
}  // namespace pastiq::wayland
