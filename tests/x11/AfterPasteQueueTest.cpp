#include <gtest/gtest.h>

#include <optional>
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
// for the key after that paste ("no-tab1" when it is dropped), "go1" for the key's turn (its
// item written, the engine told).
struct Output {
    AfterPasteQueue queue;
    Clock::time_point now = Clock::now();
    bool modifiersHeld = false;
    std::vector<std::string> typed;

    void collect() {
        for (const Step& step : queue.due(now, modifiersHeld)) {
            std::string name = step.key == tab ? "tab" : "return";
            if (step.kind == Step::Kind::keyDropped) {
                name.insert(0, "no-");
            } else if (step.kind != Step::Kind::typeKey) {
                name = step.kind == Step::Kind::typePaste ? "V" : "go";
            }
            typed.push_back(name + std::to_string(step.keyTime));
        }
    }

    // One event of a script: "paste2tab" a Ctrl+V at time 2 taken over, Tab to follow it;
    // "step2" a step key; "land2" its item written; "fetch2" its text fetched; "late" the
    // fetch bound passes, "much later" the late fetch's too; "hold"/"free" the user holds a
    // modifier or lets go; "held long" the bound for held modifiers passes ("free" shows in the
    // output). Whatever is due is collected after every event.
    void apply(const std::string& event) {
        const auto digit = event.find_first_of("0123456789");
        const std::string verb = event.substr(0, digit);
        const auto time = digit == std::string::npos
                              ? 0U
                              : static_cast<std::uint32_t>(std::stoul(event.substr(digit)));
        const std::string key = event.substr(event.find_last_of("0123456789") + 1);
        const AfterPasteKey after = key == "tab" ? tab : key == "return" ? returnKey : none;
        if (verb == "paste") {
            queue.queued(time, true, after);
        } else if (verb == "step") {
            queue.queued(time, false, none);
        } else if (verb == "land") {
            queue.writeLanded(time);
        } else if (verb == "fetch") {
            queue.fetched(time, now);
        } else if (verb == "late") {
            now += AfterPasteQueue::kFetchBound;
        } else if (verb == "hold" || verb == "free") {
            modifiersHeld = verb == "hold";
            if (!modifiersHeld) {
                typed.emplace_back("free");
            }
        } else if (verb == "held long") {
            now += AfterPasteQueue::kModifierBound;
        } else if (verb == "much later") {
            now += AfterPasteQueue::kLateFetchBound;
        }
        collect();
    }
};

struct OrderCase {
    const char* name;
    // Every script starts with paste 1 replayed, this key to follow it.
    AfterPasteKey firstKey;
    std::vector<std::string> script;
    std::vector<std::string> typed;
    bool staysBusy;
};

TEST(AfterPasteQueueTest, KeysAndTakenOverPastesGoOutInTheirTurn) {
    const std::vector<OrderCase> cases = {
        {"a replayed paste's key waits for its fetch", tab, {"fetch1"}, {"tab1"}, false},
        {"a burst: each taken-over paste is written and typed after the key before it",
         tab,
         {"paste2tab", "paste3return", "fetch1", "land2", "fetch2", "land3", "fetch3"},
         {"tab1", "go2", "V2", "tab2", "go3", "V3", "return3"},
         false},
        {"a paste is typed only once its item is written",
         tab,
         {"paste2tab", "fetch1"},
         {"tab1", "go2"},
         true},
        {"a fetch before the paste was typed is someone else's",
         tab,
         {"paste2tab", "fetch2", "fetch1", "land2"},
         {"tab1", "go2", "V2"},
         true},
        {"a step between pastes takes effect in its turn",
         tab,
         {"step2", "paste3tab", "fetch1", "land3"},
         {"tab1", "go2", "go3", "V3"},
         true},
        {"past the bound the key is dropped and the next paste goes",
         tab,
         {"paste2tab", "late", "fetch1", "land2", "fetch2"},
         {"no-tab1", "go2", "V2", "tab2"},
         false},
        {"a key waits while the user holds a modifier, a paste does not",
         tab,
         {"paste2tab", "hold", "fetch1", "free", "hold", "land2", "fetch2", "free"},
         {"free", "tab1", "go2", "V2", "free", "tab2"},
         false},
        {"a key still held back at the bound is dropped",
         tab,
         {"hold", "fetch1", "held long"},
         {"no-tab1"},
         false},
        {"a paste fetched late keeps its turn: the next item is not written yet",
         tab,
         {"paste2tab", "late", "land2"},
         {"no-tab1"},
         true},
        {"a paste never fetched gives up its turn in the end",
         tab,
         {"paste2tab", "late", "much later", "land2"},
         {"no-tab1", "go2", "V2"},
         true},
        {"a paste of nothing keeps its turn and sends no key",
         returnKey,
         {"paste2", "paste3return", "fetch1", "land2", "late", "land3", "fetch3"},
         {"return1", "go2", "V2", "go3", "V3", "return3"},
         false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        Output output;
        output.queue.replayed(1, testCase.firstKey, output.now);
        for (const std::string& event : testCase.script) {
            output.apply(event);
        }
        EXPECT_EQ(output.typed, testCase.typed);
        EXPECT_EQ(output.queue.isBusy(), testCase.staysBusy);
    }
}

TEST(AfterPasteQueueTest, TheDeadlineIsTheWaitingFetchsBound) {
    AfterPasteQueue queue;
    const auto now = Clock::now();
    EXPECT_EQ(queue.nextDeadline(now), std::nullopt);
    queue.replayed(1, tab, now);
    EXPECT_EQ(queue.nextDeadline(now), now + AfterPasteQueue::kFetchBound);
    queue.fetched(1, now);
    static_cast<void>(queue.due(now, /*modifiersHeld=*/true));
    EXPECT_EQ(queue.nextDeadline(now), now + AfterPasteQueue::kModifierPoll)
        << "a key held back looks at the modifiers again soon";
    static_cast<void>(queue.due(now));
    queue.queued(2, true, tab);
    static_cast<void>(queue.due(now));
    EXPECT_EQ(queue.nextDeadline(now), std::nullopt) << "a write has no bound of its own";
}

struct TakeOverCase {
    const char* name;
    bool keysWait;
    // The request that sent the last key Pastiq typed, if one was typed.
    std::optional<std::uint32_t> typed;
    std::uint32_t pressSequence;
    bool takesOver;
};

TEST(AfterPasteQueueTest, APressFrozenAheadOfATypedKeyTakesOver) {
    const std::vector<TakeOverCase> cases = {
        {"a paste still owes its key", true, std::nullopt, 5, true},
        {"the press froze the keyboard before the typed key went", false, 10, 9, true},
        {"the typed key went before the press", false, 10, 10, false},
        {"before, across the wrap of the numbers", false, 2, 0xFFFFFFFEU, true},
        {"after, across the wrap of the numbers", false, 0xFFFFFFFEU, 2, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        AfterPasteQueue queue;
        if (testCase.keysWait) {
            queue.replayed(1, tab, Clock::now());
        }
        if (testCase.typed) {
            queue.typed(*testCase.typed);
        }
        EXPECT_EQ(queue.takesOver(testCase.pressSequence), testCase.takesOver);
    }
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
        {"plain key, nothing held", {{}, {}, {37, 105}}, false, {{9, true}, {9, false}}},
        {"plain key while Ctrl is held",
         {{37}, {}, {105}},
         false,
         {{37, false}, {9, true}, {9, false}, {37, true}}},
        {"plain key while Shift and Ctrl are held",
         {{37}, {50}, {105}},
         false,
         {{50, false}, {37, false}, {9, true}, {9, false}, {37, true}, {50, true}}},
        {"Ctrl+key with nothing held",
         {{}, {}, {37, 105}},
         true,
         {{37, true}, {9, true}, {9, false}, {37, false}}},
        // The user may let go of their Ctrl before the key arrives: Pastiq holds its own.
        {"Ctrl+key while the user holds the other Ctrl",
         {{105}, {}, {37}},
         true,
         {{37, true}, {9, true}, {9, false}, {37, false}}},
        {"Ctrl+key while the user holds the same Ctrl",
         {{37}, {}, {105}},
         true,
         {{105, true}, {9, true}, {9, false}, {105, false}}},
        {"Ctrl+key while the user holds every Ctrl",
         {{37, 105}, {}, {}},
         true,
         {{9, true}, {9, false}}},
        {"Ctrl+key while Alt is held",
         {{}, {64}, {37, 105}},
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
