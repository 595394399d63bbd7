#pragma once

#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/ports/Clipboard.h"
#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

class XConnection;

// Reads another application's clipboard text on the X11 thread: UTF8_STRING, else STRING,
// received whole or in INCR chunks, within a bounded time and up to a bounded size. A text over
// the size is not fetched further: it is answered with its size as far as the owner told it.
class ClipboardReader {
  public:
    using Answer = std::function<void(ClipboardText)>;
    static constexpr std::chrono::milliseconds kReadBound{450};

    ClipboardReader(XConnection& connection, TimerQueue& timers,
                    std::size_t maxBytes = Clipboard::kReadLimit);
    ClipboardReader(const ClipboardReader&) = delete;
    ClipboardReader& operator=(const ClipboardReader&) = delete;

    // A read still running is answered with nothing and replaced.
    void read(Answer answer);
    void handleSelectionNotify(const xcb_selection_notify_event_t& event);
    bool handlePropertyNotify(const xcb_property_notify_event_t& event);

  private:
    struct Read {
        Answer answer;
        xcb_atom_t property = XCB_NONE;
        xcb_atom_t target = XCB_NONE;
        xcb_atom_t type = XCB_NONE;
        bool isIncremental = false;
        std::string received;
        TimerQueue::Id timer = 0;
    };
    // The transfer property's value, or its size alone when it does not fit.
    struct Chunk {
        xcb_atom_t type = XCB_NONE;
        std::string bytes;
        std::uint64_t size = 0;
        [[nodiscard]] bool fits() const { return bytes.size() == size; }
    };

    void convert(xcb_atom_t target);
    void startIncremental(const Chunk& announcement);
    // Reads the transfer property in pieces of at most 1 MiB, stopping once it is known to hold
    // more than `room` bytes; nothing when it could not be read. The property is left in place.
    [[nodiscard]] std::optional<Chunk> readProperty(std::size_t room);
    void deleteProperty();
    void finish(ClipboardText text);
    void finishTooLarge(std::uint64_t bytes);
    [[nodiscard]] std::optional<std::string> decode(xcb_atom_t type, std::string bytes) const;

    [[nodiscard]] bool isReadProperty(xcb_atom_t atom) const;

    // Each read names a property of its own from this ring: an owner that answers an abandoned
    // read late, perhaps while it writes the answer again, is never taken for a later read's.
    static constexpr std::size_t kReadProperties = 4;

    XConnection& connection_;
    TimerQueue& timers_;
    std::size_t maxBytes_;
    std::array<xcb_atom_t, kReadProperties> properties_{};
    std::size_t reads_ = 0;
    std::optional<Read> active_;
};

}  // namespace pastiq::x11
