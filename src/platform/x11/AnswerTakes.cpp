#include "platform/x11/AnswerTakes.h"

#include <algorithm>
#include <utility>

#include "platform/x11/XConnection.h"

namespace pastiq::x11 {

void AnswerTakes::watch(xcb_window_t requestor, xcb_atom_t property, std::function<void()> taken) {
    if (watched_.size() >= kMaxWatched) {
        finish(watched_.front().id);
    }
    // Asked before the answer is announced, so the deletion cannot come before it. The mask
    // stays with the window: the requestors that read through Pastiq's bridge make a window
    // for each request.
    if (requestor != connection_.window()) {
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_.get(), requestor, XCB_CW_EVENT_MASK, &mask);
    }
    const std::uint64_t id = ++lastId_;
    watched_.push_back(Watched{requestor, property, std::move(taken),
                               timers_.schedule(kBound, [this, id] { finish(id); }), id});
}

bool AnswerTakes::handlePropertyNotify(const xcb_property_notify_event_t& event) {
    if (event.state != XCB_PROPERTY_DELETE) {
        return false;
    }
    const auto found = std::find_if(watched_.begin(), watched_.end(), [&](const Watched& w) {
        return w.requestor == event.window && w.property == event.atom;
    });
    if (found == watched_.end()) {
        return false;
    }
    finish(found->id);
    return true;
}

void AnswerTakes::finish(std::uint64_t id) {
    const auto found = std::find_if(watched_.begin(), watched_.end(),
                                    [id](const Watched& w) { return w.id == id; });
    if (found == watched_.end()) {
        return;
    }
    Watched done = std::move(*found);
    watched_.erase(found);
    timers_.cancel(done.timer);
    if (done.taken) {
        done.taken();
    }
}

}  // namespace pastiq::x11
