#include "platform/wayland/BridgeWait.h"

#include <utility>

namespace pastiq::wayland {

void BridgeWait::await(std::uint64_t serial, std::function<void()> applied) {
    const auto timer = timers_.schedule(kBound, [this, serial] { release(serial, false); });
    waiting_.push_back(Waiting{serial, std::move(applied), Clock::now(), timer});
}

void BridgeWait::served(std::uint64_t serial) {
    release(serial, true);
}

void BridgeWait::release(std::uint64_t serial, bool asked) {
    const auto now = Clock::now();
    while (!waiting_.empty() && waiting_.front().serial <= serial) {
        Waiting done = std::move(waiting_.front());
        waiting_.pop_front();
        timers_.cancel(done.timer);
        if (observer_) {
            observer_(now - done.since, asked);
        }
        if (done.applied) {
            done.applied();
        }
    }
}

}  // namespace pastiq::wayland
