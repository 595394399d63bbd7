#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <random>
#include <thread>

#include "KeyPathFakes.h"
#include "engine/PasteGate.h"
#include "fakes/RecordingLog.h"
#include "platform/wayland/JudgedKeyWrites.h"
#include "platform/wayland/KeyClipboard.h"
#include "platform/wayland/WaylandKeys.h"

namespace pastiq::wayland {
namespace {

using namespace std::chrono_literals;
using testing::EventLog;
using testing::PipeKeyboard;

// The UI thread's stand-in: runs posted work in order; can be held still to play a busy one.
class TaskThread {
  public:
    TaskThread() : thread_([this] { run(); }) {}
    ~TaskThread() {
        post(nullptr);
        thread_.join();
    }
    void post(std::function<void()> work) {
        const std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
        changed_.notify_all();
    }
    void runAndWait(const std::function<void()>& work) {
        std::promise<void> done;
        post([&] {
            work();
            done.set_value();
        });
        done.get_future().wait();
    }
    void setBusy(bool busy) {
        const std::lock_guard lock(mutex_);
        busy_ = busy;
        changed_.notify_all();
    }

  private:
    void run() {
        for (;;) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !busy_ && !work_.empty(); });
            auto work = std::move(work_.front());
            work_.pop_front();
            lock.unlock();
            if (!work) {
                return;
            }
            work();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> work_;
    bool busy_ = false;
    std::thread thread_;
};

// Takes each write in on a thread of its own after a small random delay, in write order, as
// the compositor connection does.
class DelayedClipboard final : public KeyClipboard {
  public:
    DelayedClipboard() : thread_([this] { run(); }) {}
    ~DelayedClipboard() override {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    std::int64_t writeForKey(std::shared_ptr<const std::string> text,
                             std::function<void()> applied) override {
        const std::lock_guard lock(mutex_);
        writes_.emplace_back(std::move(text), std::move(applied));
        changed_.notify_all();
        return ++count_;
    }
    [[nodiscard]] std::int64_t changeCount() const override {
        const std::lock_guard lock(mutex_);
        return count_;
    }
    void onFetched(std::function<void(std::int64_t)> fetched) override {
        const std::lock_guard lock(mutex_);
        fetched_ = std::move(fetched);
    }
    // An application asks for the text.
    [[nodiscard]] std::string fetch() {
        std::unique_lock lock(mutex_);
        std::string text = content_;
        const auto fetched = fetched_;
        const std::int64_t count = appliedCount_;
        lock.unlock();
        if (fetched) {
            fetched(count);
        }
        return text;
    }

  private:
    void run() {
        std::mt19937 random(7);
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stopping_ || !writes_.empty(); });
            if (stopping_) {
                return;
            }
            auto [text, applied] = std::move(writes_.front());
            writes_.pop_front();
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
            lock.lock();
            content_ = *text;
            ++appliedCount_;
            lock.unlock();
            applied();
            lock.lock();
        }
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::pair<std::shared_ptr<const std::string>, std::function<void()>>> writes_;
    std::int64_t count_ = 0;
    std::int64_t appliedCount_ = 0;
    std::function<void(std::int64_t)> fetched_;
    std::string content_;
    bool stopping_ = false;
    std::thread thread_;
};

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

// The engine as the key path meets it: a queue whose next item a paste takes, publishing a
// window of one item to the gate; a paste beyond it goes to the main thread, which writes the
// item itself.
class QueueEngine {
  public:
    QueueEngine(JudgedKeyWrites& writes, KeyClipboard& clipboard, int count)
        : writes_(writes), clipboard_(clipboard) {
        for (int i = 0; i < count; ++i) {
            items_.push_back(
                GateItem{Uuid::fromWords(1, static_cast<std::uint64_t>(i) + 1),
                         std::make_shared<const std::string>("item-" + std::to_string(i))});
        }
    }
    KeyGrab::Handlers handlers() {
        return {[this](const KeyEvent& event) { return judge(event); }, nullptr, gate_,
                [this](const GateKey& key) { takeIn(key); }};
    }
    void publish() {
        const auto start = static_cast<std::ptrdiff_t>(cursor_);
        const auto end = std::min<std::ptrdiff_t>(start + 1, std::ssize(items_));
        GateState state;
        state.hasSession = true;
        state.cursor = cursor_;
        state.count = std::ssize(items_);
        state.finishBehavior = ListFinishBehavior::returnToFirstItem;
        state.windowStart = cursor_;
        state.window = {items_.begin() + start, items_.begin() + end};
        state.firstItem = items_.front();
        state.acknowledgedKeys = taken_;
        state.judgedKeys = judged_;
        gate_->publish(std::move(state));
    }
    [[nodiscard]] std::string itemText(std::size_t index) const { return *items_[index].text; }
    int judgedHere = 0;

  private:
    KeyVerdict judge(const KeyEvent& event) {
        ++judged_;
        ++judgedHere;
        if (gateKeyKindOf(event) == GateKeyKind::paste && cursor_ < std::ssize(items_)) {
            clipboard_.writeForKey(items_[static_cast<std::size_t>(cursor_)].text,
                                   writes_.noteWrite());
            ++cursor_;
        }
        publish();
        return KeyVerdict::passOn;
    }
    void takeIn(const GateKey& key) {
        ++taken_;
        if (key.kind == GateKeyKind::paste && key.item && cursor_ < std::ssize(items_) &&
            key.item->id == items_[static_cast<std::size_t>(cursor_)].id) {
            ++cursor_;
        }
        // Every other key taken in is left unpublished, so the next paste's item lies outside
        // the window and that paste goes to the main thread.
        if (taken_ % 2 == 0) {
            publish();
        }
    }

    JudgedKeyWrites& writes_;
    KeyClipboard& clipboard_;
    std::shared_ptr<PasteGate> gate_ = std::make_shared<PasteGate>();
    std::vector<GateItem> items_;
    std::int64_t cursor_ = 0;
    std::uint64_t taken_ = 0;
    std::uint64_t judged_ = 0;
};

// A burst typed faster than anything settles: letters with a paste every tenth key. Every key
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
        if (i % 10 == 9) {
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
}

// Pastiq must never freeze the keyboard: a main thread that never answers costs the bound.
TEST_F(KeyThreadTest, AKeyTheMainThreadNeverJudgesGoesOnAfterTheBound) {
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

// A keyboard plugged in during a session is grabbed too; one that goes away while a key is held
// leaves that key released, not stuck.
TEST_F(KeyThreadTest, FollowsKeyboardsPluggedInAndOut) {
    ASSERT_TRUE(install(KeyGrab::Handlers{}));
    auto second = std::make_shared<PipeKeyboard>(strokes_);
    keyboards_->plug(second);
    second->type(KEY_LEFTSHIFT, 1);
    waitForStrokes(1);
    EXPECT_TRUE(second->isGrabbed());
    second->unplug();
    waitForStrokes(2);
    EXPECT_EQ(strokes_->entries(), (std::vector<std::string>{"grab", "grab", "+42", "-42"}));
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
