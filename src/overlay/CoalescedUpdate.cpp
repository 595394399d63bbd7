#include "overlay/CoalescedUpdate.h"

#include <algorithm>
#include <utility>

namespace pastiq {

CoalescedUpdate::CoalescedUpdate(std::function<void()> work) : work_(std::move(work)) {
    timer_.setSingleShot(true);
    // The default coarse timer may fire 5 % late; that is well inside the quiet period.
    QObject::connect(&timer_, &QTimer::timeout, [this] { timerFired(); });
}

// The timer is armed once per burst, not restarted per change: restarting it would cost a
// timer unregistration and registration inside every paste.
void CoalescedUpdate::noteQuietChange() {
    lastChange_ = Clock::now();
    if (timer_.isActive()) {
        return;
    }
    firstChange_ = lastChange_;
    timer_.start(quietPeriod);
}

void CoalescedUpdate::noteUrgentChange() {
    if (urgent_ && timer_.isActive()) {
        return;
    }
    urgent_ = true;
    timer_.start(0);
}

void CoalescedUpdate::cancel() {
    timer_.stop();
    urgent_ = false;
}

void CoalescedUpdate::timerFired() {
    if (!urgent_) {
        const Clock::time_point due =
            std::min(lastChange_ + quietPeriod, firstChange_ + longestDelay);
        const Clock::time_point now = Clock::now();
        if (now < due) {
            timer_.start(std::chrono::ceil<std::chrono::milliseconds>(due - now));
            return;
        }
    }
    urgent_ = false;
    work_();
}

}  // namespace pastiq
