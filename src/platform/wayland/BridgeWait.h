#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>

#include "platform/x11/TimerQueue.h"

namespace pastiq::wayland {

// GNOME's compositor learns of a new X11 clipboard owner on XWayland asynchronously: it asks
// the owner for its targets, and only once it has read them does it offer the item to native
// Wayland applications. A Ctrl+V passed on before that pastes the item before. The compositor
// also reads the text of every new item once itself, to keep it should its owner go away, in
// the same turn in which it makes the offer: that read shows the offer is out. So a write with
// text counts as applied when the compositor reads it (or a later entry: requests come in
// order); once it is seen to read every item, the targets alone are not enough. Otherwise (an
// empty write, or a compositor that keeps no copies) it counts as applied a moment after the
// compositor asked for its targets. And always once the bound passed. Used on the clipboard's
// X11 thread only.
class BridgeWait {
  public:
    using Clock = x11::TimerQueue::Clock;
    // The compositor mostly asks within a millisecond, but on a loaded machine it stalls now
    // and then: it asked up to 180 ms after the write, and read the text up to 60 ms after its
    // targets. A key passed on before the offer pastes the item before. The key waiting for the
    // write has its own longer bound (one second), which this stays inside.
    static constexpr std::chrono::milliseconds kBound{400};
    // From the request for the targets to the offer reaching the applications: the compositor
    // reads the answer and makes the offer in later turns of its main loop.
    static constexpr std::chrono::milliseconds kSettle{15};
    // Told how long after it was asked for each write waited for the compositor's request,
    // and whether one came (else the bound passed).
    using Observer = std::function<void(Clock::duration waited, bool asked)>;

    explicit BridgeWait(x11::TimerQueue& timers) : timers_(timers) {}
    BridgeWait(const BridgeWait&) = delete;
    BridgeWait& operator=(const BridgeWait&) = delete;

    // Clipboard entry `serial`, with text or empty, was just put in place for a write asked
    // for at `since`; `applied` runs once.
    void await(std::uint64_t serial, bool hasText, std::function<void()> applied,
               Clock::time_point since = Clock::now());
    // A request was answered from entry `serial`, with its text or with its targets (or time).
    void served(std::uint64_t serial, bool gaveText);
    // Whether the compositor was seen reading an item before its key went on: it keeps a copy
    // of every item, and its first read of each is that copy.
    [[nodiscard]] bool readsEachItem() const { return readsEachItem_; }
    void setObserver(Observer observer) { observer_ = std::move(observer); }

  private:
    struct Waiting {
        std::uint64_t serial;
        bool hasText;
        std::function<void()> applied;
        Clock::time_point since;
        x11::TimerQueue::Id timer;
        bool isAsked = false;
    };
    // Whether the write that put entry `serial` in place is still waiting to count as applied.
    [[nodiscard]] bool awaits(std::uint64_t serial) const;
    // The entries up to `serial` were asked for: measured, and given the settle unless the
    // compositor's own read of the text is still to come.
    void asked(std::uint64_t serial, Clock::time_point now);
    // Releases the waiting writes up to and including `serial`, oldest first.
    void release(std::uint64_t serial);

    x11::TimerQueue& timers_;
    // By serial, oldest first.
    std::deque<Waiting> waiting_;
    Observer observer_;
    // Whether the compositor was seen reading an item before its key went on.
    bool readsEachItem_ = false;
};

}  // namespace pastiq::wayland
