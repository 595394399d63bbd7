#include "platform/x11/TimerQueue.h"

#include <algorithm>
#include <limits>

namespace pastiq::x11 {

TimerQueue::Id TimerQueue::schedule(Clock::duration delay, std::function<void()> work) {
    const Id id = nextId_++;
    const auto deadline = Clock::now() + delay;
    timers_.emplace(Key{deadline, id}, std::move(work));
    deadlines_.emplace(id, deadline);
    return id;
}

void TimerQueue::cancel(Id id) {
    const auto found = deadlines_.find(id);
    if (found == deadlines_.end()) {
        return;
    }
    timers_.erase(Key{found->second, id});
    deadlines_.erase(found);
}

int TimerQueue::millisecondsUntilNext(Clock::time_point now) const {
    if (timers_.empty()) {
        return -1;
    }
    const auto wait = timers_.begin()->first.first - now;
    if (wait <= Clock::duration::zero()) {
        return 0;
    }
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(wait).count();
    const auto millis = (micros + 999) / 1000;
    return static_cast<int>(std::min<long long>(millis, std::numeric_limits<int>::max()));
}

void TimerQueue::runDue(Clock::time_point now) {
    // Timers may schedule or cancel others while running, so take one at a time.
    while (!timers_.empty() && timers_.begin()->first.first <= now) {
        auto node = timers_.extract(timers_.begin());
        deadlines_.erase(node.key().second);
        node.mapped()();
    }
}

}  // namespace pastiq::x11
