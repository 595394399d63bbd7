#include "platform/wayland/PastePacing.h"

#include <algorithm>
#include <utility>

namespace pastiq::wayland {

PastePacing::~PastePacing() {
    drop();
}

bool PastePacing::holds(std::function<void()> then) {
    const auto now = KeyLoop::Clock::now();
    if (awaited_ && isArmed_ && lastFetched_ < *awaited_) {
        holdUntil(now + holdBound_, std::move(then));
        return true;
    }
    if (now < settled_) {
        holdUntil(settled_, std::move(then));
        return true;
    }
    return false;
}

void PastePacing::holdUntil(KeyLoop::Clock::time_point until, std::function<void()> then) {
    drop();
    resume_ = std::move(then);
    timer_ = loop_.schedule(until - KeyLoop::Clock::now(), [this] {
        timer_.reset();
        // A fetch that never came: the place does not paste.
        if (awaited_) {
            isArmed_ = false;
            awaited_.reset();
        }
        resume();
    });
}

void PastePacing::pasteSent(std::int64_t count) {
    if (count > lastFetched_) {
        awaited_ = count;
    }
}

void PastePacing::fetched(std::int64_t count) {
    lastFetched_ = std::max(lastFetched_, count);
    isArmed_ = true;
    if (!awaited_ || lastFetched_ < *awaited_) {
        return;
    }
    awaited_.reset();
    settled_ = KeyLoop::Clock::now() + kSettle;
    if (auto then = std::exchange(resume_, nullptr)) {
        holdUntil(settled_, std::move(then));
    }
}

void PastePacing::drop() {
    if (timer_) {
        loop_.cancel(*timer_);
        timer_.reset();
    }
    resume_ = nullptr;
}

void PastePacing::resume() {
    if (timer_) {
        loop_.cancel(*timer_);
        timer_.reset();
    }
    if (auto step = std::exchange(resume_, nullptr)) {
        step();
    }
}

}  // namespace pastiq::wayland
