#include "platform/wayland/BridgeWait.h"

#include <utility>

namespace pastiq::wayland {

void BridgeWait::await(std::uint64_t serial, std::function<void()> applied,
                       Clock::time_point since) {
    const auto timer = timers_.schedule(kBound, [this, serial] { release(serial); });
    waiting_.push_back(Waiting{serial, std::move(applied), since, timer});
}

void BridgeWait::served(std::uint64_t serial) {
    const auto now = Clock::now();
    for (Waiting& waiting : waiting_) {
        if (waiting.serial > serial) {
            break;
        }
        if (waiting.isAsked) {
            continue;
        }
        waiting.isAsked = true;
        timers_.cancel(waiting.timer);
        waiting.timer =
            timers_.schedule(kSettle, [this, serial = waiting.serial] { release(serial); });
        if (observer_) {
            observer_(now - waiting.since, true);
        }
    }
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
