#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/x11/AfterPasteQueue.h"
#include "platform/x11/KeyTyper.h"

namespace pastiq::x11 {
namespace {

using Clock = AfterPasteQueue::Clock;
using Step = AfterPasteQueue::Step;
using enum AfterPasteKey;

// What the application receives, in order: "V1" for a Ctrl+V Pastiq types for the key pressed
// at time 1, "tab1" for the key after that paste.
// What happens, in order: "V1" for a Ctrl+V Pastiq types for the key pressed at time 1, "tab1"
// for the key after that paste, "go1" for the key's turn (its item written, the engine told).
struct Output {
    AfterPasteQueue queue;
    Clock::time_point now = Clock::now();
    std::vector<std::string> typed;

    void collect() {
        for (const Step& step : queue.due(now)) {
            std::string name = step.key == tab ? "tab" : "return";
            if (step.kind != Step::Kind::typeKey) {
                name = step.kind == Step::Kind::typePaste ? "V" : "go";
            }
            typed.push_back(name + std::to_string(step.keyTime));
        }
    }
    // A Ctrl+V taken over; its write lands as soon as its turn has come.
    void takeOver(std::uint32_t time, AfterPasteKey key) { queue.queued(time, true, key); }
};

struct OrderCase {
    const char* name;
    std::function<void(Output&)> events;
    std::vector<std::string> typed;
    bool staysBusy;
};

TEST(AfterPasteQueueTest, KeysAndTakenOverPastesGoOutInTheirTurn) {
    const auto bound = AfterPasteQueue::kFetchBound;
    const std::vector<OrderCase> cases = {
        {"a replayed paste's key waits for its fetch",
         [](Output& r) {
             r.queue.replayed(1, tab, r.now);
             r.collect();
             r.queue.fetched(1);
         },
         {"tab1"},
         false},
        {"a burst: each taken-over paste is written and typed after the key before it",
         [](Output& r) {
             r.queue.replayed(1, tab, r.now);
             r.takeOver(2, tab);
             r.takeOver(3, returnKey);
             r.collect();  // nothing: paste 1 not fetched yet
             r.queue.fetched(1);
             r.collect();
             r.queue.writeLanded(2);
             r.collect();
             r.queue.fetched(2);
             r.collect();
             r.queue.writeLanded(3);
             r.collect();
             r.queue.fetched(3);
         },
         {"tab1", "go2", "V2", "tab2", "go3", "V3", "return3"},
         false},
        {"a paste is typed only once its item is written",
         [](Output& r) {
             r.queue.replayed(1, tab, r.now);
             r.takeOver(2, tab);
             r.queue.fetched(1);
         },
         {"tab1", "go2"},
         true},
        {"a fetch before the paste was typed is someone else's",
         [](Output& r) {
             r.queue.replayed(1, tab, r.now);
             r.takeOver(2, tab);
             r.queue.fetched(2);
             r.queue.fetched(1);
             r.collect();
             r.queue.writeLanded(2);
         },
         {"tab1", "go2", "V2"},
         true},
        {"a step between pastes takes effect in its turn",
         [](Output& r) {
             r.queue.replayed(1, tab, r.now);
             r.queue.queued(2, false, none);
             r.takeOver(3, tab);
             r.collect();
             r.queue.fetched(1);
             r.collect();
             r.queue.writeLanded(3);
         },
         {"tab1", "go2", "go3", "V3"},
         true},
        {"past the bound the key is dropped and the next paste goes",
         [bound](Output& r) {
             r.queue.replayed(1, tab, r.now);
             r.takeOver(2, tab);
             r.now += bound;
             r.collect();
             r.queue.fetched(1);  // too late: nothing more for paste 1
             r.queue.writeLanded(2);
             r.collect();
             r.queue.fetched(2);
         },
         {"go2", "V2", "tab2"},
         false},
        {"a paste of nothing keeps its turn and sends no key",
         [bound](Output& r) {
             r.queue.replayed(1, returnKey, r.now);
             r.takeOver(2, none);
             r.takeOver(3, returnKey);
             r.queue.fetched(1);
             r.collect();
             r.queue.writeLanded(2);
             r.collect();
             r.now += bound;  // the application fetched nothing for it
             r.collect();
             r.queue.writeLanded(3);
             r.collect();
             r.queue.fetched(3);
         },
         {"return1", "go2", "V2", "go3", "V3", "return3"},
         false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        Output output;
        testCase.events(output);
        output.collect();
        EXPECT_EQ(output.typed, testCase.typed);
        EXPECT_EQ(output.queue.isBusy(), testCase.staysBusy);
    }
}

TEST(AfterPasteQueueTest, TheDeadlineIsTheWaitingFetchsBound) {
    AfterPasteQueue queue;
    const auto now = Clock::now();
    EXPECT_EQ(queue.nextDeadline(), std::nullopt);
    queue.replayed(1, tab, now);
    EXPECT_EQ(queue.nextDeadline(), now + AfterPasteQueue::kFetchBound);
    queue.fetched(1);
    static_cast<void>(queue.due(now));
    queue.queued(2, true, tab);
    static_cast<void>(queue.due(now));
    EXPECT_EQ(queue.nextDeadline(), std::nullopt) << "a write has no bound of its own";
}

struct StrokeCase {
    const char* name;
    HeldModifiers held;
    bool withControl;
    std::vector<KeyStroke> strokes;
};

// Keycodes: 9 the key, 37 and 105 Control, 50 Shift, 64 Alt.
TEST(TypingStrokesTest, TheUsersModifiersNeverReachTheTypedKey) {
    const std::vector<StrokeCase> cases = {
        {"plain key, nothing held", {}, false, {{9, true}, {9, false}}},
        {"plain key while Ctrl is held",
         {{37}, {}},
         false,
         {{37, false}, {9, true}, {9, false}, {37, true}}},
        {"plain key while Shift and Ctrl are held",
         {{37}, {50}},
         false,
         {{50, false}, {37, false}, {9, true}, {9, false}, {37, true}, {50, true}}},
        {"Ctrl+key with nothing held", {}, true, {{37, true}, {9, true}, {9, false}, {37, false}}},
        {"Ctrl+key while the user holds the other Ctrl",
         {{105}, {}},
         true,
         {{9, true}, {9, false}}},
        {"Ctrl+key while Alt is held",
         {{}, {64}},
         true,
         {{64, false}, {37, true}, {9, true}, {9, false}, {37, false}, {64, true}}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        EXPECT_EQ(typingStrokes(9, testCase.held, testCase.withControl, 37), testCase.strokes);
    }
}

}  // namespace
}  // namespace pastiq::x11
