#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <vector>

#include "platform/x11/PendingPastes.h"

namespace pastiq::x11 {
namespace {

using namespace std::chrono_literals;
using Clock = PendingPastes::Clock;

constexpr xcb_window_t kCalc = 0x400001;
constexpr xcb_window_t kEditor = 0x600001;

struct Answer {
    xcb_window_t window;
    xcb_timestamp_t time;
};

TEST(PendingPastesTest, AnAnswerConfirmsItsPasteAndTheEarlierOnesToTheSameWindow) {
    struct Case {
        const char* name;
        std::vector<Answer> answers;
        std::optional<std::uint64_t> oldest;
    };
    // Pings for entries 1..3: to Calc at 10 and 30, to the editor at 20.
    const Case cases[] = {
        {"none answered", {}, 1},
        {"the first", {{kCalc, 10}}, 2},
        {"a later one to Calc leaves the editor's", {{kCalc, 30}}, 2},
        {"both windows", {{kCalc, 30}, {kEditor, 20}}, std::nullopt},
        {"the window manager's own ping", {{kCalc, 99}}, 1},
        {"a time sent to another window", {{kEditor, 10}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PendingPastes pastes;
        const auto sent = Clock::now();
        pastes.add({1, kCalc, 10, sent});
        pastes.add({2, kEditor, 20, sent});
        pastes.add({3, kCalc, 30, sent});
        for (const Answer& answer : c.answers) {
            pastes.answer(answer.window, answer.time);
        }
        EXPECT_EQ(pastes.oldestUnconfirmed(sent), c.oldest);
    }
}

TEST(PendingPastesTest, AnApplicationSilentBeyondTheBoundNoLongerHoldsTheClipboardBack) {
    PendingPastes pastes;
    const auto sent = Clock::now();
    pastes.add({1, kCalc, 10, sent});
    pastes.add({2, kCalc, 20, sent + 1s});
    EXPECT_EQ(pastes.oldestUnconfirmed(sent + PendingPastes::kAnswerBound), 1U);
    EXPECT_EQ(pastes.oldestUnconfirmed(sent + PendingPastes::kAnswerBound + 1ms), 2U);
    EXPECT_EQ(pastes.oldestUnconfirmed(sent + PendingPastes::kAnswerBound + 2s), std::nullopt);
}

TEST(PendingPastesTest, OnlyTheReplayOfTheKeyAWriteWasMadeForIsPinged) {
    PendingPastes pastes;
    pastes.awaitReplay(7, 100);
    // A key passed on unjudged, before its write: the write is not the one it pasted.
    EXPECT_EQ(pastes.takeReplayed(90), std::nullopt);
    EXPECT_EQ(pastes.takeReplayed(100), std::nullopt);
    pastes.awaitReplay(8, 110);
    EXPECT_EQ(pastes.takeReplayed(110), 8U);
    EXPECT_EQ(pastes.takeReplayed(110), std::nullopt);  // once
}

}  // namespace
}  // namespace pastiq::x11
