#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/ports/Log.h"
#include "platform/x11/MainThreadChannel.h"

namespace pastiq::testing {

// Stands in for the application's event loop: work posted from the X11 thread waits here
// until the test drains it, so a test can also leave the "main thread" stalled.
class TestMainThread {
  public:
    MainThreadPost poster() {
        return [this](std::function<void()> work) {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(work));
            wake_.notify_all();
        };
    }

    // Runs posted work until `done` holds; false when the time ran out first. `done` is also
    // checked every few milliseconds, for state the X11 thread changes without posting.
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) {
                return false;
            }
            std::unique_lock lock(mutex_);
            const auto next = std::min(deadline, now + std::chrono::milliseconds(2));
            if (!wake_.wait_until(lock, next, [this] { return !queue_.empty(); })) {
                continue;
            }
            auto work = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            work();
        }
        return true;
    }

    void runFor(std::chrono::milliseconds duration) {
        runUntil([] { return false; }, duration);
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
};

class RecordingLog final : public Log {
  public:
    void write(LogLevel level, LogCategory /*category*/, std::string_view message) override {
        lines.emplace_back(level, std::string(message));
    }
    [[nodiscard]] bool contains(LogLevel level, std::string_view message) const {
        for (const auto& [lineLevel, text] : lines) {
            if (lineLevel == level && text == message) {
                return true;
            }
        }
        return false;
    }
    std::vector<std::pair<LogLevel, std::string>> lines;
};

}  // namespace pastiq::testing
