#include "platform/wayland/JudgedKeyWrites.h"

#include <mutex>
#include <utility>

namespace pastiq::wayland {

struct JudgedKeyWrites::Latch {
    std::mutex mutex;
    int unapplied = 0;
    bool wrote = false;
    bool ended = false;
    std::function<void(bool)> then;

    // Runs `then` once, outside the lock, when the judgement ended and every write is applied.
    void settleIfDone(std::unique_lock<std::mutex>& lock) {
        if (!ended || unapplied > 0 || !then) {
            return;
        }
        auto step = std::move(then);
        then = nullptr;
        lock.unlock();
        step(wrote);
    }
};

std::function<void()> JudgedKeyWrites::noteWrite() {
    if (!current_) {
        return nullptr;
    }
    {
        const std::lock_guard lock(current_->mutex);
        ++current_->unapplied;
        current_->wrote = true;
    }
    return [latch = current_, called = false]() mutable {
        if (std::exchange(called, true)) {
            return;
        }
        std::unique_lock lock(latch->mutex);
        --latch->unapplied;
        latch->settleIfDone(lock);
    };
}

void JudgedKeyWrites::begin() {
    current_ = std::make_shared<Latch>();
}

void JudgedKeyWrites::end(std::function<void(bool)> then) {
    const auto latch = std::move(current_);
    current_.reset();
    if (!latch) {
        then(false);
        return;
    }
    std::unique_lock lock(latch->mutex);
    latch->ended = true;
    latch->then = std::move(then);
    latch->settleIfDone(lock);
}

}  // namespace pastiq::wayland
