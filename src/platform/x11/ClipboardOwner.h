#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/x11/AnswerTakes.h"
#include "platform/x11/ClipboardHistory.h"
#include "platform/x11/IncrSender.h"
#include "platform/x11/RequestBudget.h"

namespace pastiq::x11 {

class PasteFlowControl;
class PendingPastes;
class XConnection;

// Owns CLIPBOARD from Pastiq's hidden window on the X11 thread and answers the requests of
// applications that paste: TARGETS, TIMESTAMP and the text targets.
class ClipboardOwner {
  public:
    ClipboardOwner(XConnection& connection, TimerQueue& timers, PasteFlowControl& flow,
                   PendingPastes& pastes);

    // Takes ownership with this text (none: owned empty, so a paste inserts nothing). With a
    // key time the ownership dates from that grabbed key press. Returns the new entry's serial.
    std::uint64_t take(std::shared_ptr<const std::string> text,
                       std::optional<xcb_timestamp_t> keyTime);
    [[nodiscard]] bool owns() const { return owns_; }
    // True once when a take since the last call moved the clipboard from another owner (or
    // none) to Pastiq: only then can an application's request reach the server before the
    // new ownership and go elsewhere, so only then must a key wait for a round trip before it
    // goes on. While Pastiq stays the owner every request comes to it, and the newest entry
    // is in place before the key is passed on. A round trip on this connection waits behind
    // every event queued before its reply, a flood of requests among them.
    [[nodiscard]] bool takeOwnershipChange();
    // The text Pastiq put on the clipboard last; none when it owns it empty or not at all.
    [[nodiscard]] std::shared_ptr<const std::string> currentText() const;

    // Told, for each request answered from an entry, that entry's serial and whether the
    // answer gave its text (a started INCR counts) rather than its targets or time. With
    // `whenTaken`, an answer with text is told only once the requestor has taken it (deleted
    // it, or the last increment), or a bound passed: a requestor that passes the text on, as a
    // compositor's bridge does, may be slow to take it.
    using ServeObserver = std::function<void(std::uint64_t serial, bool gaveText)>;
    void setServeObserver(ServeObserver observer, bool whenTaken = false) {
        serveObserver_ = std::move(observer);
        reportsTextTaken_ = whenTaken;
    }

    // For a clipboard whose writes are all made without a key (through a compositor's bridge):
    // a request made with the time at which the server announced one of Pastiq's ownerships
    // is answered from the entry it announced. Such a client learned that time from the
    // announcement, and the write after it may date from that same time.
    void matchAnnouncedTimes() { matchesAnnouncements_ = true; }
    // The server announced a change of ownership to Pastiq's window, made at `selectionTime`,
    // at `time`.
    void ownershipAnnounced(xcb_timestamp_t selectionTime, xcb_timestamp_t time);

    void handleRequest(const xcb_selection_request_event_t& request);
    void handleClear(const xcb_selection_clear_event_t& event);
    bool handlePropertyNotify(const xcb_property_notify_event_t& event);

  private:
    [[nodiscard]] const ClipboardEntry* entryFor(
        const xcb_selection_request_event_t& request) const;
    [[nodiscard]] xcb_timestamp_t setOwnerForKey(xcb_timestamp_t keyTime);
    [[nodiscard]] xcb_timestamp_t setOwner(xcb_timestamp_t time);
    // Asks the server for the ownership of the entry about to be added, at `time` (none: as of
    // now), and remembers the attempt until it is announced.
    void requestOwnership(std::optional<xcb_timestamp_t> time);
    [[nodiscard]] bool ownerIsUs() const;
    void discardOwnerCheck();
    // Whether the owner asked for right after the last unverified key write was another.
    [[nodiscard]] bool keyWriteWasRefused();
    // What a request was answered with, told to the observers once the answer is sent.
    struct Served {
        std::uint64_t serial;
        bool gaveText;
        // The text went in increments: the requestor has it only once it took the last.
        bool isInIncrements = false;
    };
    enum class TextAnswer : std::uint8_t { refused, whole, inIncrements };
    [[nodiscard]] std::optional<Served> convert(const xcb_selection_request_event_t& request,
                                                xcb_atom_t property, const ClipboardEntry& entry);
    void reportServed(Served served);
    void observeServed(std::uint64_t serial, bool gaveText) const;
    void writeTargets(const xcb_selection_request_event_t& request, xcb_atom_t property,
                      const ClipboardEntry& entry);
    [[nodiscard]] TextAnswer writeText(const xcb_selection_request_event_t& request,
                                       xcb_atom_t property, const ClipboardEntry& entry);
    // False when the answer would need one transfer in increments more than are allowed.
    [[nodiscard]] TextAnswer writeBytes(xcb_window_t requestor, xcb_atom_t property,
                                        xcb_atom_t type, std::shared_ptr<const std::string> bytes,
                                        std::uint64_t serial);
    void notify(const xcb_selection_request_event_t& request, xcb_atom_t property);

    XConnection& connection_;
    PasteFlowControl& flow_;
    PendingPastes& pastes_;
    ClipboardHistory history_;
    IncrSender incr_;
    AnswerTakes takes_;
    RequestBudget budget_;
    bool owns_ = false;
    bool ownershipChanged_ = false;
    std::uint64_t lastSerial_ = 0;
    std::optional<xcb_get_selection_owner_cookie_t> ownerCheck_;
    ServeObserver serveObserver_;
    bool reportsTextTaken_ = false;
    // Ownership requests not announced yet, oldest first; only when matching announced times.
    struct Attempt {
        std::uint64_t serial;
        std::optional<xcb_timestamp_t> time;
    };
    bool matchesAnnouncements_ = false;
    std::deque<Attempt> unannounced_;
};

}  // namespace pastiq::x11
