#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>

#include "HostileConnection.h"

namespace pastiq::hostile {

// How the owner answers a request for its text.
enum class Answer {
    // The whole text in one property, however large, never in increments.
    hugeProperty,
    // Announces an incremental transfer and sends piece after piece, never the last one.
    endlessIncrements,
    // Never answers at all.
    silence,
};

// A clipboard owner that misbehaves as told. It takes the CLIPBOARD each time a line arrives on
// standard input and says "owning" on standard output once the server agrees, and "asked" on
// each request, before it answers; a huge property is followed by "answered" once the server
// holds all of it.
class HostileOwner {
  public:
    // `bytes`: the whole text for a huge property, one piece for endless increments.
    HostileOwner(HostileConnection& x, Answer answer, std::uint64_t bytes);

    // Until the display connection ends.
    void run();

  private:
    struct Transfer {
        xcb_window_t requestor = XCB_NONE;
        xcb_atom_t property = XCB_NONE;
    };

    void takeClipboard();
    void handle(const xcb_generic_event_t& event);
    void answerRequest(const xcb_selection_request_event_t& request);
    void writeWholeText(const xcb_selection_request_event_t& request);
    void announceIncrements(const xcb_selection_request_event_t& request);
    void sendNextPiece(const xcb_property_notify_event_t& event);
    void notify(const xcb_selection_request_event_t& request, xcb_atom_t property);
    void writeProperty(xcb_window_t window, xcb_atom_t property, std::uint8_t mode,
                       std::uint32_t bytes);

    HostileConnection& x_;
    Answer answer_;
    std::uint64_t bytes_;
    std::string piece_;
    std::optional<Transfer> transfer_;
};

}  // namespace pastiq::hostile
