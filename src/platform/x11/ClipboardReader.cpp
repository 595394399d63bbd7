#include "platform/x11/ClipboardReader.h"

#include <cstdint>

#include "platform/x11/Latin1.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

namespace pastiq::x11 {

ClipboardReader::ClipboardReader(XConnection& connection, TimerQueue& timers)
    : connection_(connection), timers_(timers) {}

void ClipboardReader::read(Answer answer) {
    finish(std::nullopt);
    const auto timer = timers_.schedule(kReadBound, [this] { finish(std::nullopt); });
    active_ = Read{std::move(answer), XCB_NONE, XCB_NONE, false, {}, timer};
    convert(connection_.atoms().utf8String);
}

void ClipboardReader::convert(xcb_atom_t target) {
    active_->target = target;
    // The property may hold a leftover of an abandoned read.
    xcb_delete_property(connection_.get(), connection_.window(),
                        connection_.atoms().transferProperty);
    xcb_convert_selection(connection_.get(), connection_.window(), connection_.atoms().clipboard,
                          target, connection_.atoms().transferProperty, XCB_CURRENT_TIME);
    xcb_flush(connection_.get());
}

void ClipboardReader::handleSelectionNotify(const xcb_selection_notify_event_t& event) {
    connection_.noteServerTime(event.time);
    if (!active_ || active_->isIncremental || event.requestor != connection_.window() ||
        event.selection != connection_.atoms().clipboard || event.target != active_->target) {
        return;
    }
    if (event.property == XCB_NONE) {
        // Refused: older owners may offer only Latin-1 text.
        if (active_->target == connection_.atoms().utf8String) {
            convert(XCB_ATOM_STRING);
        } else {
            finish(std::nullopt);
        }
        return;
    }
    auto chunk = takeProperty();
    if (!chunk) {
        finish(std::nullopt);
    } else if (chunk->type == connection_.atoms().incr) {
        // Deleting the INCR property (done by taking it) asks the owner for the first chunk.
        active_->isIncremental = true;
    } else {
        finish(decode(chunk->type, std::move(chunk->bytes)));
    }
}

bool ClipboardReader::handlePropertyNotify(const xcb_property_notify_event_t& event) {
    if (event.window != connection_.window() ||
        event.atom != connection_.atoms().transferProperty) {
        return false;
    }
    connection_.noteServerTime(event.time);
    if (!active_ || !active_->isIncremental || event.state != XCB_PROPERTY_NEW_VALUE) {
        return true;
    }
    auto chunk = takeProperty();
    if (!chunk) {
        finish(std::nullopt);
    } else if (chunk->bytes.empty()) {
        finish(decode(active_->type, std::move(active_->received)));
    } else {
        active_->type = chunk->type;
        active_->received += chunk->bytes;
    }
    return true;
}

std::optional<ClipboardReader::Chunk> ClipboardReader::takeProperty() {
    xcb_connection_t* c = connection_.get();
    const auto reply = fetchReply<xcb_get_property_reply_t>(
        c,
        xcb_get_property(c, 1, connection_.window(), connection_.atoms().transferProperty,
                         XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4),
        xcb_get_property_reply);
    if (!reply) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
    return Chunk{reply->type, std::string(bytes, length)};
}

std::optional<std::string> ClipboardReader::decode(xcb_atom_t type, std::string bytes) const {
    if (type == XCB_ATOM_STRING) {
        return utf8FromLatin1(bytes);
    }
    if (type == connection_.atoms().utf8String) {
        return bytes;
    }
    return std::nullopt;
}

void ClipboardReader::finish(std::optional<std::string> text) {
    if (!active_) {
        return;
    }
    timers_.cancel(active_->timer);
    auto answer = std::move(active_->answer);
    active_.reset();
    answer(std::move(text));
}

}  // namespace pastiq::x11
