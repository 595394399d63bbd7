#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "platform/x11/ClipboardHistory.h"
#include "platform/x11/KeyboardLayout.h"
#include "platform/x11/Latin1.h"
#include "platform/x11/LetterKeys.h"
#include "platform/x11/TimerQueue.h"
#include "platform/x11/X11KeyGrab.h"

namespace pastiq::x11 {
namespace {

using namespace std::chrono_literals;

std::string textAt(const ClipboardHistory& history, xcb_timestamp_t time) {
    const auto* entry = history.at(time);
    if (entry == nullptr) {
        return "<none>";
    }
    return entry->text ? *entry->text : "<empty>";
}

ClipboardEntry entry(xcb_timestamp_t time, const char* text) {
    return {time, text ? std::make_shared<const std::string>(text) : nullptr};
}

TEST(ClipboardHistoryTest, AnswersWithTheEntryCurrentAtTheRequestTime) {
    ClipboardHistory history;
    history.add(entry(100, "a"));
    history.add(entry(200, "b"));
    history.add(entry(150, "late write of an older key"));
    history.add(entry(200, nullptr));
    struct Case {
        xcb_timestamp_t time;
        std::string expected;
    };
    for (const auto& [time, expected] : std::vector<Case>{{99, "<none>"},
                                                          {100, "a"},
                                                          {149, "a"},
                                                          {150, "late write of an older key"},
                                                          {200, "<empty>"},
                                                          {5000, "<empty>"},
                                                          {XCB_CURRENT_TIME, "<empty>"}}) {
        EXPECT_EQ(textAt(history, time), expected) << time;
    }
}

// A client told of each new owner asks with the time of that announcement, and a write without
// a key dates from the last time Pastiq saw, which may be that very announcement.
TEST(ClipboardHistoryTest, AnswersAtAnAnnouncementTimeWithTheEntryAnnouncedThen) {
    ClipboardHistory history;
    history.add({100, std::make_shared<const std::string>("a"), 1});
    history.announce(1, 105);
    history.add({105, std::make_shared<const std::string>("b"), 2});
    EXPECT_EQ(textAt(history, 105), "b") << "by the times the entries carry";
    ASSERT_NE(history.announcedAt(105), nullptr);
    EXPECT_EQ(*history.announcedAt(105)->text, "a");
    EXPECT_EQ(history.announcedAt(104), nullptr);
    EXPECT_EQ(history.announcedAt(XCB_CURRENT_TIME), nullptr);
    // Two ownerships announced within one server millisecond: the later one stands.
    history.announce(2, 105);
    EXPECT_EQ(*history.announcedAt(105)->text, "b");
}

TEST(ClipboardHistoryTest, ServerTimeWrapAroundKeepsTheOrder) {
    ClipboardHistory history;
    history.add(entry(0xFFFFFF00U, "before wrap"));
    history.add(entry(0x10, "after wrap"));
    EXPECT_EQ(textAt(history, 0xFFFFFFF0U), "before wrap");
    EXPECT_EQ(textAt(history, 0x20), "after wrap");
}

TEST(ClipboardHistoryTest, KeepsTheNewestEntriesWithinItsBounds) {
    ClipboardHistory history;
    for (xcb_timestamp_t t = 1; t <= ClipboardHistory::kMaxEntries + 10; ++t) {
        history.add(entry(t, std::to_string(t).c_str()));
    }
    EXPECT_EQ(textAt(history, 10), "<none>");
    EXPECT_EQ(textAt(history, 11), "11");
    // One huge entry beyond the byte bound still stays when it is the newest.
    const auto huge = std::make_shared<const std::string>(ClipboardHistory::kMaxBytes + 1, 'x');
    history.add({1000, huge});
    EXPECT_EQ(history.at(999), nullptr);
    EXPECT_EQ(history.newest()->text, huge);
}

TEST(Latin1Test, ConvertsOnlyWhatLatin1CanHold) {
    struct Case {
        std::string utf8;
        std::optional<std::string> latin1;
    };
    for (const auto& [utf8, latin1] : std::vector<Case>{
             {"plain", "plain"},
             {"Grüße ÿ",
              "Gr\xfc\xdf"
              "e \xff"},
             {"\xc2\x80", "\x80"},
             {"日本", std::nullopt},
             {"€", std::nullopt},
             {"\xc3", std::nullopt},
             {"\xc3\x41", std::nullopt},
         }) {
        EXPECT_EQ(latin1FromUtf8(utf8), latin1) << utf8;
        if (latin1) {
            EXPECT_EQ(utf8FromLatin1(*latin1), utf8);
        }
    }
}

TEST(KeyboardLayoutTest, LockCombinationsCoverEverySubsetOnce) {
    EXPECT_EQ(lockCombinationsOf({2, 16, 0}), (std::vector<std::uint16_t>{0, 2, 16, 18}));
    EXPECT_EQ(lockCombinationsOf({2, 16, 16}), (std::vector<std::uint16_t>{0, 2, 16, 18}));
    EXPECT_EQ(lockCombinationsOf({2, 16, 128}).size(), 8U);
    EXPECT_EQ(lockCombinationsOf({}), (std::vector<std::uint16_t>{0}));
}

// One key per character from `first` on, typing it plain and its capital with Shift.
LetterKeys::Group row(xcb_keycode_t first, std::string_view typed) {
    LetterKeys::Group keys;
    for (const unsigned char character : typed) {
        keys.push_back({first++, {character, static_cast<std::uint32_t>(std::toupper(character))}});
    }
    return keys;
}

LetterKeys::Group joined(std::vector<LetterKeys::Group> parts) {
    LetterKeys::Group keys;
    for (auto& part : parts) {
        keys.insert(keys.end(), part.begin(), part.end());
    }
    return keys;
}

// The keycodes are evdev's: the QWERTY bottom row Z X C V B from 52, the top row from 24.
const LetterKeys::Group kQwerty = joined({row(24, "qwertyuiop"), row(52, "zxcvb")});
const LetterKeys::Group kDvorak = joined({row(24, "',.pyfgcrl"), row(52, ";qjkxbmwvz")});
// Cyrillic on the same keys, and Latin letters only behind AltGr (level 3).
const LetterKeys::Group kRussian = {{24, {0x6ca, 0x6ea, 'q'}},
                                    {52, {0x6d1, 0x6f1, 'z'}},
                                    {54, {0x6d3, 0x6f3}},
                                    {55, {0x6cd, 0x6ed}}};

TEST(LetterKeysTest, PicksTheKeyTypingTheLetterInTheShortcutGroup) {
    struct Case {
        const char* name;
        std::vector<LetterKeys::Group> groups;
        std::uint8_t active;
        xcb_keycode_t c;
        xcb_keycode_t v;
    };
    const std::vector<Case> cases{
        {"QWERTY", {kQwerty}, 0, 54, 55},
        {"Dvorak", {kDvorak}, 0, 31, 60},
        {"QWERTY and Dvorak, Dvorak active", {kQwerty, kDvorak}, 1, 31, 60},
        {"group beyond the keymap wraps", {kQwerty, kDvorak}, 3, 31, 60},
        {"Russian active: the first Latin group", {kQwerty, kRussian}, 1, 54, 55},
        {"Russian first: the Latin group after it", {kRussian, kDvorak, kQwerty}, 0, 31, 60},
        {"no Latin group", {kRussian}, 0, 0, 0},
        {"no keymap", {}, 0, 0, 0},
        {"a plain v wins over a shifted one", {{{40, {'x', 'v'}}, {41, {'V', 'c'}}}}, 0, 41, 41},
    };
    for (const auto& testCase : cases) {
        const LetterKeys letters(testCase.groups);
        EXPECT_EQ(letters.keyFor('c', testCase.active), testCase.c) << testCase.name;
        EXPECT_EQ(letters.keyFor('v', testCase.active), testCase.v) << testCase.name;
    }
}

TEST(KeyboardLayoutTest, OnlyCAndVFollowTheLettersAndStayPutWithoutThem) {
    const KeyboardLayout qwerty{{.c = 54, .v = 55, .leftBracket = 34, .rightBracket = 35}};
    const KeyPositions dvorak = qwerty.typingLetters(LetterKeys({kDvorak}), 0).keys;
    EXPECT_EQ(dvorak, (KeyPositions{.c = 31, .v = 60, .leftBracket = 34, .rightBracket = 35}));
    EXPECT_EQ(qwerty.typingLetters(LetterKeys({kRussian}), 0), qwerty);
}

TEST(KeyGrabTest, ReportedModifiersLeaveLocksOut) {
    EXPECT_EQ(modifiersOfMask(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2),
              (Modifiers{.ctrl = true}));
    EXPECT_EQ(modifiersOfMask(XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1 | XCB_MOD_MASK_4),
              (Modifiers{.shift = true, .alt = true, .super = true}));
}

TEST(TimerQueueTest, RunsDueTimersInDeadlineOrderAndSkipsCancelledOnes) {
    TimerQueue timers;
    std::vector<int> ran;
    timers.schedule(20ms, [&] { ran.push_back(2); });
    const auto cancelled = timers.schedule(10ms, [&] { ran.push_back(0); });
    timers.schedule(5ms, [&] { ran.push_back(1); });
    timers.schedule(1h, [&] { ran.push_back(3); });
    timers.cancel(cancelled);
    const auto now = TimerQueue::Clock::now();
    EXPECT_GT(timers.millisecondsUntilNext(now), 0);
    EXPECT_LE(timers.millisecondsUntilNext(now), 5);
    timers.runDue(now + 30ms);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_GT(timers.millisecondsUntilNext(now + 30ms), 3'500'000);
}

}  // namespace
}  // namespace pastiq::x11
