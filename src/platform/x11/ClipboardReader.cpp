#include "platform/x11/ClipboardReader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/x11/Latin1.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

namespace pastiq::x11 {
namespace {

constexpr std::uint32_t kPieceWords = (std::uint32_t{1} << 20) / 4;

}  // namespace

ClipboardReader::ClipboardReader(XConnection& connection, TimerQueue& timers, std::size_t maxBytes)
    : connection_(connection), timers_(timers), maxBytes_(maxBytes) {
    xcb_connection_t* c = connection_.get();
    std::array<xcb_intern_atom_cookie_t, kReadProperties> cookies{};
    for (std::size_t i = 0; i < kReadProperties; ++i) {
        const std::string name = "PASTIQ_READ_" + std::to_string(i);
        cookies.at(i) = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data());
    }
    for (std::size_t i = 0; i < kReadProperties; ++i) {
        const auto reply =
            fetchReply<xcb_intern_atom_reply_t>(c, cookies.at(i), xcb_intern_atom_reply);
        properties_.at(i) = reply ? reply->atom : connection_.atoms().transferProperty;
    }
}

void ClipboardReader::read(Answer answer) {
    finish({});
    const auto timer = timers_.schedule(kReadBound, [this] { finish({}); });
    const xcb_atom_t property = properties_.at(reads_++ % kReadProperties);
    active_ = Read{std::move(answer), property, XCB_NONE, XCB_NONE, false, {}, timer};
    convert(connection_.atoms().utf8String);
}

void ClipboardReader::convert(xcb_atom_t target) {
    active_->target = target;
    // The property may hold a leftover of an abandoned read.
    deleteProperty();
    xcb_convert_selection(connection_.get(), connection_.window(), connection_.atoms().clipboard,
                          target, active_->property, XCB_CURRENT_TIME);
    xcb_flush(connection_.get());
}

void ClipboardReader::handleSelectionNotify(const xcb_selection_notify_event_t& event) {
    connection_.noteServerTime(event.time);
    if (event.requestor != connection_.window() ||
        event.selection != connection_.atoms().clipboard) {
        return;
    }
    if (isReadProperty(event.property) && (!active_ || event.property != active_->property)) {
        // The answer to an abandoned read: dropped, so its text does not stay on the server.
        xcb_delete_property(connection_.get(), connection_.window(), event.property);
        xcb_flush(connection_.get());
        return;
    }
    if (!active_ || active_->isIncremental || event.target != active_->target) {
        return;
    }
    if (event.property == XCB_NONE) {
        // Refused: older owners may offer only Latin-1 text.
        if (active_->target == connection_.atoms().utf8String) {
            convert(XCB_ATOM_STRING);
        } else {
            finish({});
        }
        return;
    }
    auto chunk = readProperty(maxBytes_);
    if (!chunk) {
        finish({});
    } else if (chunk->type == connection_.atoms().incr && chunk->fits()) {
        startIncremental(*chunk);
    } else if (!chunk->fits()) {
        deleteProperty();
        finishTooLarge(chunk->size);
    } else {
        deleteProperty();
        finish({decode(chunk->type, std::move(chunk->bytes))});
    }
}

// The announcement holds a lower bound of the size. Deleting it asks the owner for the first
// chunk, so a text known to be too large is never asked for.
void ClipboardReader::startIncremental(const Chunk& announcement) {
    std::uint32_t lowerBound = 0;
    if (announcement.bytes.size() >= sizeof lowerBound) {
        std::memcpy(&lowerBound, announcement.bytes.data(), sizeof lowerBound);
    }
    if (lowerBound > maxBytes_) {
        finishTooLarge(lowerBound);
        return;
    }
    active_->isIncremental = true;
    deleteProperty();
    xcb_flush(connection_.get());
}

bool ClipboardReader::handlePropertyNotify(const xcb_property_notify_event_t& event) {
    if (event.window != connection_.window() || !isReadProperty(event.atom)) {
        return false;
    }
    connection_.noteServerTime(event.time);
    if (!active_ || !active_->isIncremental || event.state != XCB_PROPERTY_NEW_VALUE ||
        event.atom != active_->property) {
        return true;
    }
    auto chunk = readProperty(maxBytes_ - active_->received.size());
    if (!chunk) {
        finish({});
    } else if (!chunk->fits()) {
        // Not deleted: the owner stops sending.
        finishTooLarge(active_->received.size() + chunk->size);
    } else if (chunk->bytes.empty()) {
        deleteProperty();
        finish({decode(active_->type, std::move(active_->received))});
    } else {
        deleteProperty();
        active_->type = chunk->type;
        active_->received += chunk->bytes;
    }
    xcb_flush(connection_.get());
    return true;
}

std::optional<ClipboardReader::Chunk> ClipboardReader::readProperty(std::size_t room) {
    xcb_connection_t* c = connection_.get();
    Chunk chunk;
    for (std::uint32_t offsetWords = 0;; offsetWords += kPieceWords) {
        const auto reply = fetchReply<xcb_get_property_reply_t>(
            c,
            xcb_get_property(c, 0, connection_.window(), active_->property,
                             XCB_GET_PROPERTY_TYPE_ANY, offsetWords, kPieceWords),
            xcb_get_property_reply);
        if (!reply) {
            return std::nullopt;
        }
        const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
        chunk.type = reply->type;
        chunk.size = chunk.bytes.size() + length + reply->bytes_after;
        if (chunk.size > room) {
            chunk.bytes.clear();
            return chunk;
        }
        chunk.bytes.append(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
        if (reply->bytes_after == 0) {
            return chunk;
        }
    }
}

void ClipboardReader::deleteProperty() {
    xcb_delete_property(connection_.get(), connection_.window(), active_->property);
}

bool ClipboardReader::isReadProperty(xcb_atom_t atom) const {
    return std::ranges::find(properties_, atom) != properties_.end();
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

void ClipboardReader::finishTooLarge(std::uint64_t bytes) {
    finish(ClipboardText::tooLargeOf(bytes));
}

void ClipboardReader::finish(ClipboardText text) {
    if (!active_) {
        return;
    }
    timers_.cancel(active_->timer);
    auto answer = std::move(active_->answer);
    active_.reset();
    answer(std::move(text));
}

}  // namespace pastiq::x11
