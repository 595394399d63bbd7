#include "platform/x11/IncrSender.h"

#include <algorithm>
#include <cstdint>

#include "platform/x11/XConnection.h"

namespace pastiq::x11 {

IncrSender::IncrSender(XConnection& connection, TimerQueue& timers)
    : connection_(connection), timers_(timers) {}

std::size_t IncrSender::chunkBytes() const {
    return std::min(kLargestSingleTransfer, connection_.maxPropertyBytes());
}

bool IncrSender::start(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type,
                       std::shared_ptr<const std::string> data, std::function<void()> delivered) {
    drop(requestor, property);
    if (transfers_.size() >= kMaxTransfers) {
        return false;
    }
    watchRequestor(requestor, true);
    const auto size = static_cast<std::uint32_t>(data->size());
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, requestor, property,
                        connection_.atoms().incr, 32, 1, &size);
    transfers_.push_back(Transfer{requestor, property, type, std::move(data), 0,
                                  scheduleStall(requestor, property), std::move(delivered)});
    return true;
}

bool IncrSender::handlePropertyNotify(const xcb_property_notify_event_t& event) {
    const auto transfer = std::find_if(transfers_.begin(), transfers_.end(), [&](const auto& t) {
        return t.requestor == event.window && t.property == event.atom;
    });
    if (transfer == transfers_.end()) {
        return false;
    }
    // The requestor deletes the property to ask for the next chunk.
    if (event.state == XCB_PROPERTY_DELETE) {
        sendNextChunk(*transfer);
    }
    return true;
}

void IncrSender::sendNextChunk(Transfer& transfer) {
    const std::size_t length = std::min(chunkBytes(), transfer.data->size() - transfer.offset);
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, transfer.requestor,
                        transfer.property, transfer.type, 8, static_cast<std::uint32_t>(length),
                        transfer.data->data() + transfer.offset);
    xcb_flush(connection_.get());
    if (length == 0) {
        // The empty chunk just written ends the transfer: the requestor has read every chunk
        // before it.
        auto delivered = std::move(transfer.delivered);
        drop(transfer.requestor, transfer.property);
        if (delivered) {
            delivered();
        }
        return;
    }
    transfer.offset += length;
    timers_.cancel(transfer.timer);
    transfer.timer = scheduleStall(transfer.requestor, transfer.property);
}

void IncrSender::drop(xcb_window_t requestor, xcb_atom_t property) {
    const auto transfer = std::find_if(transfers_.begin(), transfers_.end(), [&](const auto& t) {
        return t.requestor == requestor && t.property == property;
    });
    if (transfer == transfers_.end()) {
        return;
    }
    timers_.cancel(transfer->timer);
    transfers_.erase(transfer);
    const bool stillUsed = std::any_of(transfers_.begin(), transfers_.end(),
                                       [&](const auto& t) { return t.requestor == requestor; });
    if (!stillUsed) {
        watchRequestor(requestor, false);
    }
}

void IncrSender::watchRequestor(xcb_window_t requestor, bool watch) {
    if (requestor == connection_.window()) {
        return;  // Pastiq's own window always watches its properties.
    }
    const std::uint32_t mask = watch ? XCB_EVENT_MASK_PROPERTY_CHANGE : XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(connection_.get(), requestor, XCB_CW_EVENT_MASK, &mask);
}

TimerQueue::Id IncrSender::scheduleStall(xcb_window_t requestor, xcb_atom_t property) {
    // A requestor that went away or stopped reading must not keep the text forever.
    return timers_.schedule(kStallTimeout,
                            [this, requestor, property] { drop(requestor, property); });
}

}  // namespace pastiq::x11
