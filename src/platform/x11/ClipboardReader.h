#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

class XConnection;

// Reads another application's clipboard text on the X11 thread: UTF8_STRING, else STRING,
// received whole or in INCR chunks, within a bounded time.
class ClipboardReader {
  public:
    using Answer = std::function<void(std::optional<std::string>)>;
    static constexpr std::chrono::milliseconds kReadBound{450};

    ClipboardReader(XConnection& connection, TimerQueue& timers);
    ClipboardReader(const ClipboardReader&) = delete;
    ClipboardReader& operator=(const ClipboardReader&) = delete;

    // A read still running is answered with nothing and replaced.
    void read(Answer answer);
    void handleSelectionNotify(const xcb_selection_notify_event_t& event);
    bool handlePropertyNotify(const xcb_property_notify_event_t& event);

  private:
    struct Read {
        Answer answer;
        xcb_atom_t target = XCB_NONE;
        xcb_atom_t type = XCB_NONE;
        bool isIncremental = false;
        std::string received;
        TimerQueue::Id timer = 0;
    };

    void convert(xcb_atom_t target);
    // Reads and deletes the transfer property; nothing when it could not be read.
    struct Chunk {
        xcb_atom_t type;
        std::string bytes;
    };
    std::optional<Chunk> takeProperty();
    void finish(std::optional<std::string> text);
    [[nodiscard]] std::optional<std::string> decode(xcb_atom_t type, std::string bytes) const;

    XConnection& connection_;
    TimerQueue& timers_;
    std::optional<Read> active_;
};

}  // namespace pastiq::x11
