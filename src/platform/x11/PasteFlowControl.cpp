#include "platform/x11/PasteFlowControl.h"

#include <algorithm>

namespace pastiq::x11 {
namespace {

// Far more than a burst keeps waiting at once; older entries are long past any bound.
constexpr std::size_t kKeptKeyWrites = 64;

}  // namespace

PasteFlowControl::PasteFlowControl(TimerQueue& timers, std::function<bool()> hold,
                                   std::function<void()> release)
    : timers_(timers), hold_(std::move(hold)), release_(std::move(release)) {}

bool PasteFlowControl::holdsKeyWrite(Clock::time_point arrived) {
    if (holdTimer_) {
        // Run again while still holding: the hold was dropped (the loop is stopping).
        timers_.cancel(*holdTimer_);
        holdTimer_.reset();
        return false;
    }
    const auto left = arrived + kHoldBound - Clock::now();
    if (!awaited_ || left <= Clock::duration::zero() || !hold_()) {
        return false;
    }
    holdTimer_ = timers_.schedule(left, [this] {
        isArmed_ = false;
        endHold();
    });
    return true;
}

void PasteFlowControl::keyWriteTaken(std::uint64_t serial, std::uint32_t keyTime) {
    undeliveredKeyWrites_.push_back(KeyWrite{serial, keyTime});
    if (undeliveredKeyWrites_.size() > kKeptKeyWrites) {
        undeliveredKeyWrites_.pop_front();
    }
    if (isArmed_) {
        awaited_ = serial;
    } else {
        awaited_.reset();
    }
}

void PasteFlowControl::textFetched(std::uint64_t serial) {
    isArmed_ = true;
    if (awaited_ == serial) {
        endHold();
    }
}

void PasteFlowControl::textDelivered(std::uint64_t serial) {
    const auto write =
        std::find_if(undeliveredKeyWrites_.begin(), undeliveredKeyWrites_.end(),
                     [serial](const KeyWrite& kept) { return kept.serial == serial; });
    if (write == undeliveredKeyWrites_.end()) {
        return;
    }
    const std::uint32_t keyTime = write->keyTime;
    undeliveredKeyWrites_.erase(write);
    if (keyFetchObserver_) {
        keyFetchObserver_(keyTime);
    }
}

void PasteFlowControl::ownershipLost() {
    endHold();
}

void PasteFlowControl::endHold() {
    awaited_.reset();
    if (!holdTimer_) {
        return;
    }
    timers_.cancel(*holdTimer_);
    holdTimer_.reset();
    release_();
}

}  // namespace pastiq::x11
