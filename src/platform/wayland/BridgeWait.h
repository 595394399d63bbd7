#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>

#include "platform/x11/TimerQueue.h"

namespace pastiq::wayland {

// GNOME's compositor learns of a new X11 clipboard owner on XWayland asynchronously: it asks
// the owner for its targets, and only once it has read them does it offer the item to native
// Wayland applications. A Ctrl+V passed on before that pastes the item before. So a write
// counts as applied a moment after the compositor asked Pastiq for it (or for a later entry:
// requests come in order), or once the bound passed. Used on the clipboard's X11 thread only.
class BridgeWait {
  public:
    using Clock = x11::TimerQueue::Clock;
    // The compositor asks within a few milliseconds, even on a loaded machine; the key waiting
    // for the write has its own longer bound, which this stays well inside.
    static constexpr std::chrono::milliseconds kBound{150};
    // From the compositor's request to its offer reaching the applications: it reads the answer
    // and makes the offer in later turns of its main loop.
    static constexpr std::chrono::milliseconds kSettle{15};
    // Told how long after it was asked for each write waited for the compositor's request,
    // and whether one came (else the bound passed).
    using Observer = std::function<void(Clock::duration waited, bool asked)>;

    explicit BridgeWait(x11::TimerQueue& timers) : timers_(timers) {}
    BridgeWait(const BridgeWait&) = delete;
    BridgeWait& operator=(const BridgeWait&) = delete;

    // Clipboard entry `serial` was just put in place for a write asked for at `since`;
    // `applied` runs once.
    void await(std::uint64_t serial, std::function<void()> applied,
               Clock::time_point since = Clock::now());
    // A request was answered from entry `serial`: that entry and every earlier one are applied
    // once the settle has passed.
    void served(std::uint64_t serial);
    void setObserver(Observer observer) { observer_ = std::move(observer); }

  private:
    struct Waiting {
        std::uint64_t serial;
        std::function<void()> applied;
        Clock::time_point since;
        x11::TimerQueue::Id timer;
        bool isAsked = false;
    };
    // Releases the waiting writes up to and including `serial`, oldest first.
    void release(std::uint64_t serial);

    x11::TimerQueue& timers_;
    // By serial, oldest first.
    std::deque<Waiting> waiting_;
    Observer observer_;
};

}  // namespace pastiq::wayland
