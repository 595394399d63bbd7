#include "platform/wayland/BridgedFetches.h"

namespace pastiq::wayland {

void BridgedFetches::requested(std::int64_t count, bool readsEachItem) {
    if (isCompositorCopy(count, readsEachItem)) {
        return;
    }
    if (count <= lastReported_ || (pending_ && count < pending_->count)) {
        return;  // an earlier item asked for late: its paste is reported already
    }
    if (pending_) {
        timers_.cancel(pending_->timer);
        if (pending_->count < count) {
            report(pending_->count);
        }
    }
    pending_ = Pending{count, timers_.schedule(kSettle, [this, count] {
                           pending_.reset();
                           report(count);
                       })};
}

bool BridgedFetches::isCompositorCopy(std::int64_t count, bool readsEachItem) {
    if (!readsEachItem || count <= lastCopied_) {
        return false;
    }
    lastCopied_ = count;
    return true;
}

void BridgedFetches::report(std::int64_t count) {
    lastReported_ = count;
    if (report_) {
        report_(count);
    }
}

}  // namespace pastiq::wayland
