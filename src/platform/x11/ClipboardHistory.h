#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace pastiq::x11 {

// One state of the clipboard while Pastiq owns it; no text means Pastiq owns it empty.
struct ClipboardEntry {
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    std::shared_ptr<const std::string> text;
    // Tells the writes apart, also two made within one server millisecond.
    std::uint64_t serial = 0;
    // When the server announced the entry's ownership to the clients that watch the
    // clipboard; none until then.
    xcb_timestamp_t announcedAt = XCB_CURRENT_TIME;
};

// What Pastiq put on the clipboard, by server time. An application that pastes slowly asks for
// the clipboard as it was at its key press; during a fast burst of Ctrl+V the clipboard has
// moved on by then, so each request is answered from the entry current at its time.
class ClipboardHistory {
  public:
    static constexpr std::size_t kMaxEntries = 64;
    static constexpr std::size_t kMaxBytes = 32U << 20U;

    // Entries are ordered by time; an entry as old as another comes after it.
    void add(ClipboardEntry entry);
    void clear() { entries_.clear(); }
    [[nodiscard]] bool empty() const { return entries_.empty(); }
    [[nodiscard]] const ClipboardEntry* newest() const;
    // The entry current at `time`: the newest one for CurrentTime, nothing for a time before
    // every entry kept.
    [[nodiscard]] const ClipboardEntry* at(xcb_timestamp_t time) const;
    [[nodiscard]] const ClipboardEntry* withSerial(std::uint64_t serial) const;
    void announce(std::uint64_t serial, xcb_timestamp_t time);
    // The newest entry announced at `time`: the clipboard as a client that asks with the time
    // of that announcement saw it. An entry written later may carry that time too, since a
    // write without a key of its own dates from the last time Pastiq saw.
    [[nodiscard]] const ClipboardEntry* announcedAt(xcb_timestamp_t time) const;

  private:
    void trim();

    std::deque<ClipboardEntry> entries_;
};

}  // namespace pastiq::x11
