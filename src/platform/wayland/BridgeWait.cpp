#include "platform/wayland/BridgeWait.h"

#include <algorithm>
#include <utility>

namespace pastiq::wayland {

void BridgeWait::await(std::uint64_t serial, bool hasText, std::function<void()> applied,
                       Clock::time_point since) {
    const auto timer = timers_.schedule(kBound, [this, serial] { release(serial); });
    waiting_.push_back(Waiting{serial, hasText, std::move(applied), since, timer});
}

void BridgeWait::served(std::uint64_t serial, bool gaveText) {
    const auto now = Clock::now();
    if (gaveText && awaits(serial)) {
        // No application pastes an item before its key went on: this is the compositor's own
        // read, and the offer went out before it.
        readsEachItem_ = true;
        asked(serial, now);
        release(serial);
        return;
    }
    asked(serial, now);
}

void BridgeWait::asked(std::uint64_t serial, Clock::time_point now) {
    for (Waiting& waiting : waiting_) {
        if (waiting.serial > serial) {
            break;
        }
        if (waiting.isAsked) {
            continue;
        }
        waiting.isAsked = true;
        if (observer_) {
            observer_(now - waiting.since, true);
        }
        if (readsEachItem_ && waiting.hasText) {
            continue;  // its read is yet to come; the bound still holds
        }
        timers_.cancel(waiting.timer);
        waiting.timer =
            timers_.schedule(kSettle, [this, serial = waiting.serial] { release(serial); });
    }
}

bool BridgeWait::awaits(std::uint64_t serial) const {
    return std::any_of(waiting_.begin(), waiting_.end(),
                       [serial](const Waiting& waiting) { return waiting.serial == serial; });
}

void BridgeWait::release(std::uint64_t serial) {
    while (!waiting_.empty() && waiting_.front().serial <= serial) {
        Waiting done = std::move(waiting_.front());
        waiting_.pop_front();
        timers_.cancel(done.timer);
        if (!done.isAsked && observer_) {
            observer_(Clock::now() - done.since, false);
        }
        if (done.applied) {
            done.applied();
        }
    }
}

}  // namespace pastiq::wayland
