#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <random>
#include <thread>

#include "KeyPathFakes.h"
#include "KeyThreadHarness.h"
#include "fakes/RecordingLog.h"
#include "platform/wayland/WaylandKeys.h"

namespace pastiq::wayland {
namespace {

using namespace std::chrono_literals;
using testing::DelayedClipboard;
using testing::EventLog;
using testing::PipeKeyboard;
using testing::QueueEngine;
using testing::TaskThread;

class KeyThreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto sink = std::make_unique<testing::RecordingSink>(strokes_);
        sink_ = sink.get();
        // The focused application pastes a moment after it sees V, on a thread of its own.
        sink_->onStroke = [this](const KeyStroke& stroke) {
            if (stroke.pressed && stroke.code == KEY_V) {
                application_.post([this, delay = std::chrono::microseconds(random_() % 1000)] {
                    std::this_thread::sleep_for(delay);
                    // Noted first: the key path may go on the moment the fetch is reported.
                    strokes_->add("fetch");
                    pasted_.push_back(clipboard_.fetch());
                });
            }
        };
        auto keyboards = std::make_unique<testing::ListedKeyboards>(
            std::vector<std::shared_ptr<KeyboardDevice>>{keyboard_});
        keyboards_ = keyboards.get();
        WaylandKeys::Devices devices{
            std::move(keyboards), std::make_unique<testing::FixedKeymap>(testing::keymapText("us")),
            std::move(sink), std::move(permission_)};
        keys_ = WaylandKeys::start(
            std::move(devices), clipboard_,
            [this](std::function<void()> work) { ui_.post(std::move(work)); }, log_);
        ASSERT_NE(keys_, nullptr);
    }
    void TearDown() override {
        ui_.runAndWait([this] { keys_.reset(); });
    }

    // Waits until the sink has sent `count` strokes; what happened meanwhile, "+47" style.
    std::vector<std::string> waitForStrokes(std::size_t count) const {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < deadline) {
            auto entries = strokes_->entries();
            if (std::count_if(entries.begin(), entries.end(), [](const std::string& entry) {
                    return entry[0] == '+' || entry[0] == '-';
                }) >= static_cast<std::ptrdiff_t>(count)) {
                return entries;
            }
            std::this_thread::sleep_for(1ms);
        }
        return strokes_->entries();
    }
    bool install(KeyGrab::Handlers handlers) {
        bool installed = false;
        ui_.runAndWait([&] { installed = keys_->keyGrab().install(std::move(handlers)); });
        return installed;
    }
    void remove() {
        ui_.runAndWait([this] { keys_->keyGrab().remove(); });
    }

    std::shared_ptr<EventLog> strokes_ = std::make_shared<EventLog>();
    std::shared_ptr<PipeKeyboard> keyboard_ = std::make_shared<PipeKeyboard>(strokes_);
    std::unique_ptr<testing::SwitchedPermission> permission_ =
        std::make_unique<testing::SwitchedPermission>();
    testing::SwitchedPermission* lock_ = permission_.get();
    testing::RecordingSink* sink_ = nullptr;         // owned by keys_
    testing::ListedKeyboards* keyboards_ = nullptr;  // owned by keys_
    DelayedClipboard clipboard_;
    std::mt19937 random_{3};           // key thread
    std::vector<std::string> pasted_;  // the application's thread, read once it is done
    pastiq::testing::RecordingLog log_;
    TaskThread ui_;
    TaskThread application_;
    std::unique_ptr<WaylandKeys> keys_;
};

// A burst typed faster than anything settles: letters with a paste every twentieth key. Every key
// reaches the sink in the order typed, and the application, fetching a moment after each V,
// pastes each item in turn.
TEST_F(KeyThreadTest, ABurstArrivesInOrderWithEachPasteAfterItsItem) {
    QueueEngine engine(keys_->judgedKeyWrites(), clipboard_, 150);
    ui_.runAndWait([&engine] { engine.publish(); });
    ASSERT_TRUE(install(engine.handlers()));
    std::mt19937 random(11);
    std::vector<input_event> typed;
    std::vector<std::string> expected;
    const auto key = [&](std::uint16_t code, std::int32_t value) {
        typed.push_back(testing::keyEvent(code, value));
        expected.push_back((value == 1 ? "+" : "-") + std::to_string(code));
    };
    int pastes = 0;
    for (int i = 0; i < 1000; ++i) {
        if (i % 20 == 19) {
            key(KEY_LEFTCTRL, 1);
            key(KEY_V, 1);
            key(KEY_V, 0);
            key(KEY_LEFTCTRL, 0);
            ++pastes;
        } else {
            const auto letter = static_cast<std::uint16_t>(KEY_Q + random() % 10);
            key(letter, 1);
            key(letter, 0);
        }
    }
    keyboard_->writeEvents(typed);

    auto sent = waitForStrokes(expected.size());
    std::erase_if(sent, [](const std::string& entry) { return entry == "fetch"; });
    ASSERT_EQ(sent.front(), "grab");
    sent.erase(sent.begin());
    EXPECT_EQ(sent, expected);
    remove();
    application_.runAndWait([] {});
    ASSERT_EQ(pasted_.size(), static_cast<std::size_t>(pastes));
    for (std::size_t i = 0; i < pasted_.size(); ++i) {
        ASSERT_EQ(pasted_[i], engine.itemText(i)) << "paste " << i;
    }
    EXPECT_GT(engine.judgedHere, 0) << "every paste went through the gate";
    EXPECT_LT(engine.judgedHere, pastes) << "no paste went through the gate";
}

// Tab after each paste goes once the application has the item, without the Ctrl still held,
// and the next Ctrl+V waits for it: item, Tab, item, Tab.
TEST_F(KeyThreadTest, TheKeyAfterEachPasteFollowsItsFetch) {
    QueueEngine engine(keys_->judgedKeyWrites(), clipboard_, 10);
    engine.window = 10;
    engine.lags = false;
    engine.afterEachPaste = AfterEachPaste::pressTab;
    ui_.runAndWait([&engine] { engine.publish(); });
    ASSERT_TRUE(install(engine.handlers()));
    keyboard_->type(KEY_LEFTCTRL, 1);
    for (int i = 0; i < 3; ++i) {
        keyboard_->type(KEY_V, 1);
        keyboard_->type(KEY_V, 0);
    }
    keyboard_->type(KEY_LEFTCTRL, 0);
    const std::vector<std::string> pasteThenTab = {"+47", "fetch", "-29", "+15", "-15", "+29"};
    std::vector<std::string> expected = {"grab", "+29"};
    for (int i = 0; i < 3; ++i) {
        expected.insert(expected.end(), pasteThenTab.begin(), pasteThenTab.end());
        expected.emplace_back("-47");
    }
    expected.emplace_back("-29");
    EXPECT_EQ(waitForStrokes(20), expected);
    application_.runAndWait([] {});
    ui_.runAndWait([] {});  // the engine's news of the keys, before the engine goes
    EXPECT_EQ(pasted_, (std::vector<std::string>{"item-0", "item-1", "item-2"}));
}

// Where nothing asks for the item, no key follows the paste: a Tab there would only move the
// focus. The keys typed behind it go on once the bound has passed.
TEST_F(KeyThreadTest, NoKeyFollowsAPasteNobodyFetches) {
    sink_->onStroke = nullptr;
    QueueEngine engine(keys_->judgedKeyWrites(), clipboard_, 10);
    engine.afterEachPaste = AfterEachPaste::pressTab;
    ui_.runAndWait([&engine] { engine.publish(); });
    ASSERT_TRUE(install(engine.handlers()));
    keyboard_->type(KEY_LEFTCTRL, 1);
    keyboard_->type(KEY_V, 1);
    keyboard_->type(KEY_V, 0);
    keyboard_->type(KEY_LEFTCTRL, 0);
    EXPECT_EQ(waitForStrokes(4), (std::vector<std::string>{"grab", "+29", "+47", "-47", "-29"}));
    ui_.runAndWait([] {});  // the engine's news of the keys, before the engine goes
}

// Where nothing pastes (no text field), the next paste waits for a fetch that never comes: that
// costs the bound once, not on every Ctrl+V.
TEST_F(KeyThreadTest, PastesNobodyFetchesWaitTheBoundOnce) {
    sink_->onStroke = nullptr;
    QueueEngine engine(keys_->judgedKeyWrites(), clipboard_, 10);
    ui_.runAndWait([&engine] { engine.publish(); });
    ASSERT_TRUE(install(engine.handlers()));
    const auto start = std::chrono::steady_clock::now();
    keyboard_->type(KEY_LEFTCTRL, 1);
    for (int i = 0; i < 4; ++i) {
        keyboard_->type(KEY_V, 1);
        keyboard_->type(KEY_V, 0);
    }
    waitForStrokes(9);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 140ms);
    EXPECT_LT(waited, 400ms) << "each paste waited the bound";
    ui_.runAndWait([] {});  // the engine's news of the keys, before the engine goes
}

// Through a compositor that passes the text on through hops of its own, an application's fetch
// may come long after its key: the next paste waits for it within that clipboard's own bound,
// and so does its verdict, else the first paste would get the second item or the second key
// the first item again.
class SlowFetchKeyThreadTest : public KeyThreadTest {
  protected:
    void SetUp() override {
        clipboard_.fetchWait = 400ms;
        KeyThreadTest::SetUp();
    }
};

TEST_F(SlowFetchKeyThreadTest, APasteWaitsForASlowFetchWithinTheClipboardsBound) {
    sink_->onStroke = [this](const KeyStroke& stroke) {
        if (stroke.pressed && stroke.code == KEY_V) {
            application_.post([this] {
                std::this_thread::sleep_for(260ms);  // past the verdict's bound of its own
                pasted_.push_back(clipboard_.fetch());
            });
        }
    };
    QueueEngine engine(keys_->judgedKeyWrites(), clipboard_, 3);
    engine.window = 3;
    engine.lags = false;
    ui_.runAndWait([&engine] { engine.publish(); });
    ASSERT_TRUE(install(engine.handlers()));
    keyboard_->type(KEY_LEFTCTRL, 1);
    for (int i = 0; i < 2; ++i) {
        keyboard_->type(KEY_V, 1);
        keyboard_->type(KEY_V, 0);
    }
    waitForStrokes(5);
    application_.runAndWait([] {});
    ui_.runAndWait([] {});  // the engine's news of the keys, before the engine goes
    EXPECT_EQ(pasted_, (std::vector<std::string>{"item-0", "item-1"}));
}

// Pastiq must never freeze the keyboard: a main thread that never answers costs the bound.
TEST_F(KeyThreadTest, AKeyTheMainThreadNeverJudgesGoesOnAfterTheBound) {
    sink_->onStroke = nullptr;
    KeyGrab::Handlers handlers;
    handlers.onKeyDown = [](const KeyEvent&) { return KeyVerdict::consume; };
    ASSERT_TRUE(install(std::move(handlers)));
    ui_.setBusy(true);
    const auto start = std::chrono::steady_clock::now();
    keyboard_->type(KEY_LEFTCTRL, 1);
    keyboard_->type(KEY_V, 1);
    keyboard_->type(KEY_A, 1);
    const auto sent = waitForStrokes(3);
    const auto waited = std::chrono::steady_clock::now() - start;
    ui_.setBusy(false);
    EXPECT_EQ(sent, (std::vector<std::string>{"grab", "+29", "+47", "+30"}));
    EXPECT_GE(waited, 200ms);
    EXPECT_LT(waited, 2s);
}

// A grab starts only once no key is held, else the held key would stick; letting go releases
// every key the virtual keyboard holds first.
TEST_F(KeyThreadTest, GrabsWithNoKeyHeldAndReleasesHeldKeysBeforeLettingGo) {
    keyboard_->type(KEY_LEFTSHIFT, 1);
    waitForStrokes(0);
    std::future<bool> installed =
        std::async(std::launch::async, [this] { return install(KeyGrab::Handlers{}); });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(keyboard_->isGrabbed());
    keyboard_->type(KEY_LEFTSHIFT, 0);
    EXPECT_TRUE(installed.get());
    keyboard_->type(KEY_LEFTCTRL, 1);
    waitForStrokes(1);
    remove();
    EXPECT_EQ(strokes_->entries(), (std::vector<std::string>{"grab", "+29", "-29", "ungrab"}));
}

// A key remapper (keyd) holds the physical keyboard, whose events then never reach Pastiq; its
// key state still does. A hot key held there when the session asks for the grab must not keep
// the grab away once the kernel says it is up; the remapper's own keyboard brings the release.
TEST_F(KeyThreadTest, AKeyboardARemapperHoldsCountsAsTheKernelSeesIt) {
    auto remapped = std::make_shared<PipeKeyboard>(strokes_);
    keyboards_->plug(remapped);
    keyboard_->changeUnseen(KEY_LEFTCTRL, true);
    remapped->type(KEY_LEFTCTRL, 1);
    waitForStrokes(1);
    std::future<bool> installed =
        std::async(std::launch::async, [this] { return install(KeyGrab::Handlers{}); });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(remapped->isGrabbed());
    keyboard_->changeUnseen(KEY_LEFTCTRL, false);
    remapped->type(KEY_LEFTCTRL, 0);
    EXPECT_TRUE(installed.get());
    EXPECT_TRUE(remapped->isGrabbed());
}

// A keyboard plugged in during a session is grabbed too; one that goes away while a key is held
// leaves that key released, not stuck.
TEST_F(KeyThreadTest, FollowsKeyboardsPluggedInAndOut) {
    ASSERT_TRUE(install(KeyGrab::Handlers{}));
    auto second = std::make_shared<PipeKeyboard>(strokes_);
    keyboards_->plug(second);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!second->isGrabbed() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_TRUE(second->isGrabbed());
    second->type(KEY_LEFTSHIFT, 1);
    waitForStrokes(1);
    second->unplug();
    waitForStrokes(2);
    EXPECT_EQ(strokes_->entries(), (std::vector<std::string>{"grab", "grab", "+42", "-42"}));
}

// With the virtual keyboard gone nothing could pass keys on: the keyboards go back to the
// compositor at once, the engine hears of it, and no grab is taken again.
TEST_F(KeyThreadTest, ALostVirtualKeyboardGivesTheKeyboardsBack) {
    int disabled = 0;  // main thread
    KeyGrab::Handlers handlers;
    handlers.onDisabled = [&disabled] { ++disabled; };
    ASSERT_TRUE(install(std::move(handlers)));
    sink_->gone = true;
    keyboard_->type(KEY_A, 1);
    keyboard_->type(KEY_A, 0);
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (keyboard_->isGrabbed() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_FALSE(keyboard_->isGrabbed());
    bool enabledAgain = true;
    ui_.runAndWait([&] {
        EXPECT_EQ(disabled, 1);
        enabledAgain = keys_->keyGrab().install(KeyGrab::Handlers{});
    });
    EXPECT_FALSE(enabledAgain);
}

// A grabbed keyboard no longer hears from the compositor: it shows the virtual keyboard's LEDs.
TEST_F(KeyThreadTest, GrabbedKeyboardsShowTheLocksTheCompositorSets) {
    sink_->light(LED_CAPSL, true);
    ASSERT_TRUE(install(KeyGrab::Handlers{}));
    EXPECT_TRUE(keyboard_->isLedLit(LED_CAPSL));
    sink_->light(LED_CAPSL, false);
    sink_->light(LED_NUML, true);
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (!keyboard_->isLedLit(LED_NUML) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(keyboard_->isLedLit(LED_NUML));
    EXPECT_FALSE(keyboard_->isLedLit(LED_CAPSL));
}

// A locked session holds no grab; the grab comes back when the session is unlocked.
TEST_F(KeyThreadTest, TheLockScreenGetsTheKeyboardBack) {
    ASSERT_TRUE(install(KeyGrab::Handlers{}));
    keyboard_->type(KEY_LEFTALT, 1);
    waitForStrokes(1);
    lock_->set(false);
    waitForStrokes(2);
    keyboard_->type(KEY_LEFTALT, 0);
    lock_->set(true);
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (!keyboard_->isGrabbed() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(strokes_->entries(),
              (std::vector<std::string>{"grab", "+56", "-56", "ungrab", "grab"}));
}

}  // namespace
}  // namespace pastiq::wayland
