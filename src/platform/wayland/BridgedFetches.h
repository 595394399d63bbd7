#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/x11/TimerQueue.h"

namespace pastiq::wayland {

// When an application has its item, for a clipboard the compositor bridges from XWayland
// (GNOME). The compositor hands the text Pastiq served on through a pipe of its own, and GTK
// drops a read still running when a new item is offered and pastes that one instead; it also
// asks again for another type just after its first read. So an item counts as fetched only
// once the requests for it have gone quiet for a moment; a request for a later item reports
// the earlier one at once. The compositor also reads each new item once itself, to keep it
// should its owner go away, in the same turn in which it offers the item to the applications:
// that first read of each item is no paste. Used on the clipboard's X11 thread only.
class BridgedFetches {
  public:
    // GTK's second request comes within a few milliseconds of its first when the machine is
    // idle. Longer settles eat into the key path's own bound on waiting for a fetch, which the
    // bridge's extra hops already use much of.
    static constexpr std::chrono::milliseconds kSettle{30};
    // `report` is told the change count of each write fetched, once, in increasing order.
    BridgedFetches(x11::TimerQueue& timers, std::function<void(std::int64_t count)> report)
        : timers_(timers), report_(std::move(report)) {}
    BridgedFetches(const BridgedFetches&) = delete;
    BridgedFetches& operator=(const BridgedFetches&) = delete;

    // A read of the text of the write that left change count `count`. `readsEachItem`: the
    // compositor is known to read every item once itself (see BridgeWait::readsEachItem).
    void requested(std::int64_t count, bool readsEachItem);

  private:
    // Whether the request is the compositor's own read of the item: once it is known to read
    // every item, the first read of each is taken as that copy, whenever it arrives.
    [[nodiscard]] bool isCompositorCopy(std::int64_t count, bool readsEachItem);
    void report(std::int64_t count);

    struct Pending {
        std::int64_t count;
        x11::TimerQueue::Id timer;
    };
    x11::TimerQueue& timers_;
    std::function<void(std::int64_t)> report_;
    std::int64_t lastReported_ = 0;
    std::int64_t lastCopied_ = 0;
    std::optional<Pending> pending_;
};

}  // namespace pastiq::wayland
