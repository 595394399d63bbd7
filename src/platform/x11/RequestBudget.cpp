#include "platform/x11/RequestBudget.h"

namespace pastiq::x11 {

bool RequestBudget::take(xcb_window_t requestor, Clock::time_point now) {
    if (spent_.size() > kPruneAbove) {
        pruneEnded(now);
    }
    Spent& spent = spent_[requestor];
    if (spent.answers == 0 || now - spent.periodStart >= kPeriod) {
        spent = Spent{now, 0};
    }
    if (spent.answers >= kAnswersPerPeriod) {
        return false;
    }
    ++spent.answers;
    return true;
}

void RequestBudget::pruneEnded(Clock::time_point now) {
    std::erase_if(spent_,
                  [now](const auto& entry) { return now - entry.second.periodStart >= kPeriod; });
}

}  // namespace pastiq::x11
