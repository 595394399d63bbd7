#include "platform/x11/ClipboardOwner.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/x11/Latin1.h"
#include "platform/x11/PasteFlowControl.h"
#include "platform/x11/PendingPastes.h"
#include "platform/x11/SelectionNotify.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

namespace pastiq::x11 {

ClipboardOwner::ClipboardOwner(XConnection& connection, TimerQueue& timers, PasteFlowControl& flow,
                               PendingPastes& pastes)
    : connection_(connection),
      flow_(flow),
      pastes_(pastes),
      incr_(connection, timers),
      takes_(connection, timers) {}

std::uint64_t ClipboardOwner::take(std::shared_ptr<const std::string> text,
                                   std::optional<xcb_timestamp_t> keyTime) {
    const xcb_timestamp_t time =
        keyTime ? setOwnerForKey(*keyTime) : setOwner(connection_.lastServerTime());
    ownershipChanged_ = ownershipChanged_ || !owns_;
    if (!owns_) {
        history_.clear();  // Earlier entries belong to an ownership another owner ended.
    }
    owns_ = true;
    history_.add(ClipboardEntry{time, std::move(text), ++lastSerial_});
    if (keyTime) {
        pastes_.awaitReplay(lastSerial_, *keyTime);
    }
    return lastSerial_;
}

bool ClipboardOwner::takeOwnershipChange() {
    return std::exchange(ownershipChanged_, false);
}

bool ClipboardOwner::ownerIsUs() const {
    xcb_connection_t* c = connection_.get();
    const auto reply = fetchReply<xcb_get_selection_owner_reply_t>(
        c, xcb_get_selection_owner(c, connection_.atoms().clipboard),
        xcb_get_selection_owner_reply);
    return reply && reply->owner == connection_.window();
}

xcb_timestamp_t ClipboardOwner::setOwnerForKey(xcb_timestamp_t keyTime) {
    if (!owns_) {
        return setOwner(keyTime);
    }
    // The key's paste waits for this write, so it waits for no answer. Pastiq owns the
    // clipboard: a key time older than its own last change is refused, yet Pastiq stays the
    // owner; only another owner's change since the key press, whose clear is then on its way,
    // can beat it. The owner is asked for all the same and the answer read with that clear.
    xcb_connection_t* c = connection_.get();
    discardOwnerCheck();
    xcb_set_selection_owner(c, connection_.window(), connection_.atoms().clipboard, keyTime);
    ownerCheck_ = xcb_get_selection_owner(c, connection_.atoms().clipboard);
    return keyTime;
}

void ClipboardOwner::discardOwnerCheck() {
    if (ownerCheck_) {
        xcb_discard_reply(connection_.get(), ownerCheck_->sequence);
        ownerCheck_.reset();
    }
}

bool ClipboardOwner::keyWriteWasRefused() {
    if (!ownerCheck_) {
        return false;
    }
    const auto reply = fetchReply<xcb_get_selection_owner_reply_t>(connection_.get(), *ownerCheck_,
                                                                   xcb_get_selection_owner_reply);
    ownerCheck_.reset();
    return reply && reply->owner != connection_.window();
}

void ClipboardOwner::requestOwnership(std::optional<xcb_timestamp_t> time) {
    xcb_set_selection_owner(connection_.get(), connection_.window(), connection_.atoms().clipboard,
                            time.value_or(XCB_CURRENT_TIME));
    if (matchesAnnouncements_) {
        // Announced in order; the oldest ones left are refused attempts.
        if (unannounced_.size() >= ClipboardHistory::kMaxEntries) {
            unannounced_.pop_front();
        }
        unannounced_.push_back(Attempt{lastSerial_ + 1, time});
    }
}

void ClipboardOwner::ownershipAnnounced(xcb_timestamp_t selectionTime, xcb_timestamp_t time) {
    while (!unannounced_.empty()) {
        const Attempt attempt = unannounced_.front();
        unannounced_.pop_front();
        // The server refused an attempt older than the clipboard's last change: never announced.
        if (!attempt.time || *attempt.time == selectionTime) {
            history_.announce(attempt.serial, time);
            return;
        }
    }
}

xcb_timestamp_t ClipboardOwner::setOwner(xcb_timestamp_t time) {
    discardOwnerCheck();  // this write checks for itself
    requestOwnership(time);
    if (ownerIsUs()) {
        // While Pastiq owns the clipboard an older time is refused by the server, yet Pastiq
        // stays the owner and the text is what the clipboard held at that key press.
        return time;
    }
    // The key press is older than another owner's change: take it as of now instead.
    requestOwnership(std::nullopt);
    return connection_.lastServerTime();
}

std::shared_ptr<const std::string> ClipboardOwner::currentText() const {
    const auto* newest = history_.newest();
    return owns_ && newest != nullptr ? newest->text : nullptr;
}

void ClipboardOwner::handleClear(const xcb_selection_clear_event_t& event) {
    connection_.noteServerTime(event.time);
    if (event.selection != connection_.atoms().clipboard) {
        return;
    }
    if (keyWriteWasRefused()) {
        // The other owner's change came first and Pastiq's key time is older: take it as of
        // now, as a write that had waited for the owner would have.
        xcb_set_selection_owner(connection_.get(), connection_.window(),
                                connection_.atoms().clipboard, XCB_CURRENT_TIME);
        return;
    }
    // Pastiq may have taken the clipboard back (a write made after the other owner's change)
    // before this clear was read; only a clear that still holds ends the ownership.
    if (!ownerIsUs()) {
        owns_ = false;
        history_.clear();
        pastes_.clear();
        flow_.ownershipLost();
    }
}

bool ClipboardOwner::handlePropertyNotify(const xcb_property_notify_event_t& event) {
    return incr_.handlePropertyNotify(event) || takes_.handlePropertyNotify(event);
}

void ClipboardOwner::handleRequest(const xcb_selection_request_event_t& request) {
    if (!budget_.take(request.requestor, RequestBudget::Clock::now())) {
        return;
    }
    // Obsolete requestors name no property; the target then serves as one.
    const xcb_atom_t property = request.property == XCB_NONE ? request.target : request.property;
    const ClipboardEntry* entry =
        owns_ && request.selection == connection_.atoms().clipboard ? entryFor(request) : nullptr;
    const auto served = entry != nullptr ? convert(request, property, *entry) : std::nullopt;
    if (served && served->gaveText && !served->isInIncrements && reportsTextTaken_) {
        takes_.watch(request.requestor, property,
                     [this, serial = served->serial] { observeServed(serial, true); });
    }
    notify(request, served ? property : XCB_NONE);
    // Told only now: the key Pastiq types after a paste goes once its text is fetched, and it
    // must not reach the application ahead of the answer that carries the text.
    if (served) {
        reportServed(*served);
    }
}

const ClipboardEntry* ClipboardOwner::entryFor(const xcb_selection_request_event_t& request) const {
    // A request without a time belongs to the oldest paste its application has not finished.
    if (request.time == XCB_CURRENT_TIME) {
        if (const auto serial = pastes_.oldestUnconfirmed(PendingPastes::Clock::now())) {
            if (const ClipboardEntry* pasted = history_.withSerial(*serial)) {
                return pasted;
            }
        }
    }
    if (matchesAnnouncements_) {
        if (const ClipboardEntry* announced = history_.announcedAt(request.time)) {
            return announced;
        }
    }
    return history_.at(request.time);
}

std::optional<ClipboardOwner::Served> ClipboardOwner::convert(
    const xcb_selection_request_event_t& request, xcb_atom_t property,
    const ClipboardEntry& entry) {
    const Atoms& atoms = connection_.atoms();
    if (request.target == atoms.targets) {
        writeTargets(request, property, entry);
        return Served{entry.serial, false};
    }
    if (request.target == atoms.timestamp) {
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, request.requestor, property,
                            XCB_ATOM_INTEGER, 32, 1, &entry.time);
        return Served{entry.serial, false};
    }
    const TextAnswer answer =
        entry.text ? writeText(request, property, entry) : TextAnswer::refused;
    if (answer == TextAnswer::refused) {
        return std::nullopt;
    }
    return Served{entry.serial, true, answer == TextAnswer::inIncrements};
}

void ClipboardOwner::reportServed(Served served) {
    if (served.gaveText) {
        flow_.textFetched(served.serial);
    }
    if (served.gaveText && !served.isInIncrements) {
        flow_.textDelivered(served.serial);
    }
    if (!served.gaveText || !reportsTextTaken_) {
        observeServed(served.serial, served.gaveText);
    }
}

void ClipboardOwner::observeServed(std::uint64_t serial, bool gaveText) const {
    if (serveObserver_) {
        serveObserver_(serial, gaveText);
    }
}

void ClipboardOwner::writeTargets(const xcb_selection_request_event_t& request, xcb_atom_t property,
                                  const ClipboardEntry& entry) {
    const Atoms& atoms = connection_.atoms();
    std::vector<xcb_atom_t> targets{atoms.targets, atoms.timestamp};
    if (entry.text) {
        targets.insert(targets.end(), {atoms.utf8String, atoms.textPlainUtf8, atoms.text});
        if (latin1FromUtf8(*entry.text)) {
            targets.push_back(XCB_ATOM_STRING);
        }
    }
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, request.requestor, property,
                        XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(targets.size()),
                        targets.data());
}

// UTF-8 answers share the entry's text: many requests for a large item cost no copies.
ClipboardOwner::TextAnswer ClipboardOwner::writeText(const xcb_selection_request_event_t& request,
                                                     xcb_atom_t property,
                                                     const ClipboardEntry& entry) {
    const Atoms& atoms = connection_.atoms();
    const auto requestor = request.requestor;
    if (request.target == atoms.utf8String || request.target == atoms.textPlainUtf8) {
        return writeBytes(requestor, property, request.target, entry.text, entry.serial);
    }
    if (request.target != XCB_ATOM_STRING && request.target != atoms.text) {
        return TextAnswer::refused;
    }
    // TEXT leaves the encoding to the owner: Latin-1 when it fits, as for STRING, else UTF-8.
    auto latin1 = latin1FromUtf8(*entry.text);
    if (latin1) {
        return writeBytes(requestor, property, XCB_ATOM_STRING,
                          std::make_shared<const std::string>(std::move(*latin1)), entry.serial);
    }
    if (request.target == atoms.text) {
        return writeBytes(requestor, property, atoms.utf8String, entry.text, entry.serial);
    }
    return TextAnswer::refused;
}

ClipboardOwner::TextAnswer ClipboardOwner::writeBytes(xcb_window_t requestor, xcb_atom_t property,
                                                      xcb_atom_t type,
                                                      std::shared_ptr<const std::string> bytes,
                                                      std::uint64_t serial) {
    if (bytes->size() > incr_.chunkBytes()) {
        const bool started =
            incr_.start(requestor, property, type, std::move(bytes), [this, serial] {
                flow_.textDelivered(serial);
                if (reportsTextTaken_) {
                    observeServed(serial, true);
                }
            });
        return started ? TextAnswer::inIncrements : TextAnswer::refused;
    }
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, requestor, property, type, 8,
                        static_cast<std::uint32_t>(bytes->size()), bytes->data());
    return TextAnswer::whole;
}

void ClipboardOwner::notify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    sendSelectionNotify(connection_.get(), request, property);
    xcb_flush(connection_.get());
}

}  // namespace pastiq::x11
