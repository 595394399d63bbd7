#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

class XConnection;

// Serves texts too large for one request in chunks (the ICCCM INCR protocol): each chunk is
// written once the requestor has deleted the previous one.
class IncrSender {
  public:
    // Larger texts go in chunks. Kept well below the server's limit because not every receiver
    // accepts a property of many megabytes at once.
    static constexpr std::size_t kLargestSingleTransfer = 256U << 10U;
    static constexpr std::chrono::seconds kStallTimeout{5};
    // Transfers under way at once. Each holds its text until it ends or stalls, so a client
    // asking again and again without reading must not make them pile up.
    static constexpr std::size_t kMaxTransfers = 8;

    IncrSender(XConnection& connection, TimerQueue& timers);
    IncrSender(const IncrSender&) = delete;
    IncrSender& operator=(const IncrSender&) = delete;

    [[nodiscard]] std::size_t chunkBytes() const;
    // Writes the INCR announcement; the caller then sends SelectionNotify. False, writing
    // nothing, while kMaxTransfers other transfers are under way: the request is refused.
    // `delivered` runs once the requestor has taken the last increment.
    [[nodiscard]] bool start(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type,
                             std::shared_ptr<const std::string> data,
                             std::function<void()> delivered);
    // True when the event belonged to a transfer.
    bool handlePropertyNotify(const xcb_property_notify_event_t& event);

  private:
    struct Transfer {
        xcb_window_t requestor;
        xcb_atom_t property;
        xcb_atom_t type;
        std::shared_ptr<const std::string> data;
        std::size_t offset = 0;
        TimerQueue::Id timer = 0;
        std::function<void()> delivered;
    };

    void sendNextChunk(Transfer& transfer);
    void drop(xcb_window_t requestor, xcb_atom_t property);
    void watchRequestor(xcb_window_t requestor, bool watch);
    TimerQueue::Id scheduleStall(xcb_window_t requestor, xcb_atom_t property);

    XConnection& connection_;
    TimerQueue& timers_;
    std::vector<Transfer> transfers_;
};

}  // namespace pastiq::x11
