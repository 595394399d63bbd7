#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/PasteGate.h"
#include "platform/wayland/JudgedKeyWrites.h"
#include "platform/wayland/KeyClipboard.h"

namespace pastiq::wayland::testing {

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
    [[nodiscard]] std::chrono::milliseconds fetchBound() const override { return fetchWait; }
    // Set before the key path starts.
    std::chrono::milliseconds fetchWait = kFetchBound;
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
        const auto end = std::min<std::ptrdiff_t>(start + window, std::ssize(items_));
        GateState state;
        state.hasSession = true;
        state.cursor = cursor_;
        state.count = std::ssize(items_);
        state.finishBehavior = ListFinishBehavior::returnToFirstItem;
        state.afterEachPaste = afterEachPaste;
        state.windowStart = cursor_;
        state.window = {items_.begin() + start, items_.begin() + end};
        state.firstItem = items_.front();
        state.acknowledgedKeys = taken_;
        state.judgedKeys = judged_;
        gate_->publish(std::move(state));
    }
    [[nodiscard]] std::string itemText(std::size_t index) const { return *items_[index].text; }
    int judgedHere = 0;
    // A window of one item, published after every other key only, sends some pastes to the
    // main thread; a wide one published always keeps them all on the key thread.
    std::int64_t window = 1;
    bool lags = true;
    AfterEachPaste afterEachPaste = AfterEachPaste::nothing;

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
        if (!lags || taken_ % 2 == 0) {
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

}  // namespace pastiq::wayland::testing
