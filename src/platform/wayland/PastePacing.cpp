#include "platform/wayland/PastePacing.h"

#include <algorithm>
#include <utility>

namespace pastiq::wayland {

PastePacing::~PastePacing() {
    drop();
}

bool PastePacing::holds(std::function<void()> then) {
    if (!awaited_ || !isArmed_ || lastFetched_ >= *awaited_) {
        return false;
    }
    drop();
    resume_ = std::move(then);
    timer_ = loop_.schedule(kHoldBound, [this] {
        timer_.reset();
        isArmed_ = false;
        awaited_.reset();
        this->resume();
    });
    return true;
}

void PastePacing::pasteSent(std::int64_t count) {
    if (count > lastFetched_) {
        awaited_ = count;
    }
}

void PastePacing::fetched(std::int64_t count) {
    lastFetched_ = std::max(lastFetched_, count);
    isArmed_ = true;
    if (awaited_ && lastFetched_ >= *awaited_) {
        awaited_.reset();
        resume();
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
