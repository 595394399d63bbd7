#include "platform/x11/PendingPastes.h"

#include <algorithm>
#include <utility>

namespace pastiq::x11 {

void PendingPastes::awaitReplay(std::uint64_t serial, xcb_timestamp_t keyTime) {
    awaitingReplay_ = KeyWrite{serial, keyTime};
}

std::optional<std::uint64_t> PendingPastes::takeReplayed(xcb_timestamp_t keyTime) {
    const auto write = std::exchange(awaitingReplay_, std::nullopt);
    if (!write || write->keyTime != keyTime) {
        return std::nullopt;
    }
    return write->serial;
}

void PendingPastes::add(const Ping& ping) {
    pings_.push_back(ping);
}

std::vector<xcb_timestamp_t> PendingPastes::answer(xcb_window_t window, xcb_timestamp_t time) {
    const auto answered = std::find_if(pings_.rbegin(), pings_.rend(), [&](const Ping& ping) {
        return ping.window == window && ping.time == time;
    });
    std::vector<xcb_timestamp_t> confirmed;
    if (answered == pings_.rend()) {
        return confirmed;  // someone else's ping, the window manager's for one
    }
    const auto end = answered.base();
    const auto kept = std::remove_if(pings_.begin(), end, [&](const Ping& ping) {
        if (ping.window != window) {
            return false;
        }
        confirmed.push_back(ping.time);
        return true;
    });
    pings_.erase(kept, end);
    return confirmed;
}

std::optional<std::uint64_t> PendingPastes::oldestUnconfirmed(Clock::time_point now) {
    while (!pings_.empty() && now - pings_.front().sent > kAnswerBound) {
        pings_.pop_front();
    }
    if (pings_.empty()) {
        return std::nullopt;
    }
    return pings_.front().serial;
}

void PendingPastes::clear() {
    awaitingReplay_.reset();
    pings_.clear();
}

}  // namespace pastiq::x11
