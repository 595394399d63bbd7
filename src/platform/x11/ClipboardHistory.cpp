#include "platform/x11/ClipboardHistory.h"

#include <algorithm>
#include <numeric>

#include "platform/x11/XConnection.h"

namespace pastiq::x11 {
namespace {

std::size_t sizeOf(const ClipboardEntry& entry) {
    return entry.text ? entry.text->size() : 0;
}

// The entry with `serial` in `entries`, const or not; none when it is gone.
template <typename Entries>
auto* withSerialIn(Entries& entries, std::uint64_t serial) {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [serial](const auto& kept) { return kept.serial == serial; });
    return found == entries.end() ? nullptr : &*found;
}

}  // namespace

void ClipboardHistory::add(ClipboardEntry entry) {
    const auto after = std::find_if(entries_.rbegin(), entries_.rend(), [&](const auto& kept) {
        return !isLaterTime(kept.time, entry.time);
    });
    entries_.insert(after.base(), std::move(entry));
    trim();
}

const ClipboardEntry* ClipboardHistory::newest() const {
    return entries_.empty() ? nullptr : &entries_.back();
}

const ClipboardEntry* ClipboardHistory::at(xcb_timestamp_t time) const {
    if (time == XCB_CURRENT_TIME) {
        return newest();
    }
    const auto found = std::find_if(entries_.rbegin(), entries_.rend(), [&](const auto& kept) {
        return !isLaterTime(kept.time, time);
    });
    return found == entries_.rend() ? nullptr : &*found;
}

const ClipboardEntry* ClipboardHistory::withSerial(std::uint64_t serial) const {
    return withSerialIn(entries_, serial);
}

void ClipboardHistory::announce(std::uint64_t serial, xcb_timestamp_t time) {
    if (ClipboardEntry* entry = withSerialIn(entries_, serial)) {
        entry->announcedAt = time;
    }
}

const ClipboardEntry* ClipboardHistory::announcedAt(xcb_timestamp_t time) const {
    if (time == XCB_CURRENT_TIME) {
        return nullptr;
    }
    const auto found = std::find_if(entries_.rbegin(), entries_.rend(),
                                    [time](const auto& kept) { return kept.announcedAt == time; });
    return found == entries_.rend() ? nullptr : &*found;
}

void ClipboardHistory::trim() {
    std::size_t bytes = std::accumulate(
        entries_.begin(), entries_.end(), std::size_t{0},
        [](std::size_t sum, const ClipboardEntry& entry) { return sum + sizeOf(entry); });
    // The newest entry always stays: it is what the clipboard holds now.
    while (entries_.size() > 1 && (entries_.size() > kMaxEntries || bytes > kMaxBytes)) {
        bytes -= sizeOf(entries_.front());
        entries_.pop_front();
    }
}

}  // namespace pastiq::x11
