#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

// Keeps a fast burst of Ctrl+V in order in applications that paste whatever the clipboard
// holds when their request arrives: Tk asks with CurrentTime and GTK's text request carries no
// key time, so the clipboard history cannot tell them which key they paste for. A write made
// for a grabbed key therefore waits while the text that the previous key's write put on the
// clipboard has not been fetched, and every later command (that key's replay first) waits
// behind it. The keyboard stays frozen by the synchronous grab meanwhile, so no key is lost.
//
// X11 thread only.
class PasteFlowControl {
  public:
    using Clock = TimerQueue::Clock;
    // Counted from the key press arriving on the X11 thread. An application that pastes asks
    // within a few milliseconds, even on a loaded machine; 150 ms leaves room for a slow one
    // while a verdict that came late and then waited the whole bound still replays the key
    // 100 ms before the 250 ms keyboard bound would have to pass it on unjudged.
    static constexpr std::chrono::milliseconds kHoldBound{150};

    // `hold` holds the command running now and everything after it (false when that cannot
    // be done); `release` lets them run again.
    PasteFlowControl(TimerQueue& timers, std::function<bool()> hold, std::function<void()> release);
    PasteFlowControl(const PasteFlowControl&) = delete;
    PasteFlowControl& operator=(const PasteFlowControl&) = delete;

    // Before a write for the key press that arrived at `arrived`. True: the write has been
    // held and must stop now; it runs again once the earlier text was fetched or the bound
    // passed.
    [[nodiscard]] bool holdsKeyWrite(Clock::time_point arrived);
    // Told the press time of a key the first time the text written for it is delivered: the
    // application that pastes for the key has its item.
    void setKeyFetchObserver(std::function<void(std::uint32_t keyTime)> observer) {
        keyFetchObserver_ = std::move(observer);
    }
    // A write for the key pressed at `keyTime` put clipboard entry `serial` in place.
    void keyWriteTaken(std::uint64_t serial, std::uint32_t keyTime = 0);
    // A write made for no key (session start, steps, clearing) replaced the clipboard.
    void otherWriteTaken() { awaited_.reset(); }
    // A requestor fetched the text of entry `serial` (a started INCR counts: the transfer
    // keeps its own copy, so the next write may go ahead).
    void textFetched(std::uint64_t serial);
    // A requestor has the whole text of entry `serial`: it was answered at once, or the last
    // increment of its transfer was taken.
    void textDelivered(std::uint64_t serial);
    // Another owner took the clipboard: nothing of Pastiq's can be fetched any more.
    void ownershipLost();

    [[nodiscard]] bool isHolding() const { return holdTimer_.has_value(); }

  private:
    void endHold();

    TimerQueue& timers_;
    std::function<bool()> hold_;
    std::function<void()> release_;
    // The previous key's entry while no requestor has fetched it.
    std::optional<std::uint64_t> awaited_;
    // A hold that ran out means the place the keys go to does not paste (no text field) or
    // pastes very slowly: further keys are not held until some text is fetched again, so such
    // a place costs the bound once, not on every Ctrl+V.
    bool isArmed_ = true;
    std::optional<TimerQueue::Id> holdTimer_;
    struct KeyWrite {
        std::uint64_t serial;
        std::uint32_t keyTime;
    };
    // The latest key writes whose text nobody has been delivered yet, oldest first.
    std::deque<KeyWrite> undeliveredKeyWrites_;
    std::function<void(std::uint32_t)> keyFetchObserver_;
};

}  // namespace pastiq::x11
