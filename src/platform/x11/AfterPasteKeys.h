#pragma once

#include <xcb/xcb.h>

#include <deque>
#include <functional>
#include <optional>

#include "engine/GateState.h"
#include "platform/x11/AfterPasteQueue.h"
#include "platform/x11/JudgedKey.h"
#include "platform/x11/KeyTyper.h"
#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

struct KeyboardLayout;
class XConnection;

// Presses the key that follows each paste and, while one is owed, lets the session keys that
// come meanwhile take effect in their turn, typing the pastes among them itself (see
// AfterPasteQueue). Key thread only.
class AfterPasteKeys {
  public:
    // A session key that waits for its turn, its verdict given already.
    struct Waiting {
        GateKey decided;
        JudgedKey::Press press;
    };
    struct Handlers {
        // The key's turn came: its item goes on the clipboard now and the engine hears of it;
        // for a paste, writeLanded follows once the write is in place.
        std::function<void(Waiting)> carryOut;
        // A Ctrl+V Pastiq typed for the press at this time, as of a replay.
        std::function<void(xcb_timestamp_t)> pasteTyped;
        // True while keys wait: writes made for no key must wait with them.
        std::function<void(bool)> busyChanged;
        // A key after a paste was not sent: the application took nothing within the bound.
        std::function<void()> keyDropped;
    };

    AfterPasteKeys(XConnection& connection, TimerQueue& timers,
                   const std::optional<KeyboardLayout>& layout);
    AfterPasteKeys(const AfterPasteKeys&) = delete;
    AfterPasteKeys& operator=(const AfterPasteKeys&) = delete;

    void setHandlers(Handlers handlers) { handlers_ = std::move(handlers); }

    // Whether a session key arriving now, its press event carrying the sequence number
    // `pressSequence`, must wait for its turn: a paste still owes its key, or a key Pastiq
    // typed is held behind this press.
    [[nodiscard]] bool takesOver(std::uint32_t pressSequence) const {
        return queue_.takesOver(pressSequence);
    }
    // A Ctrl+V about to be replayed with its item in place.
    void pasteReplayed(xcb_timestamp_t keyTime, AfterPasteKey key);
    // A session key that came while takesOver(); a Ctrl+V among them is typed in its turn.
    void wait(Waiting key);
    void writeLanded(xcb_timestamp_t keyTime);
    // The application is done with the Ctrl+V pressed at `keyTime`: it has the item.
    void pasteDone(xcb_timestamp_t keyTime);
    // The grabs are gone. With `drain` the keys already taken over still take effect in their
    // turn, so no Ctrl+V the user pressed in the session is lost; without (Pastiq quits)
    // nothing more is typed. The spare key goes back to the keymap once nothing waits.
    void stop(bool drain);

  private:
    void runDue();
    void noteBusy();

    TimerQueue& timers_;
    const std::optional<KeyboardLayout>& layout_;
    KeyTyper typer_;
    AfterPasteQueue queue_;
    // The keys queue_ holds for their turn, in its order.
    std::deque<Waiting> waiting_;
    Handlers handlers_;
    bool isPrepared_ = false;
    bool isDraining_ = false;
    bool wasBusy_ = false;
    std::optional<TimerQueue::Id> deadlineTimer_;
};

}  // namespace pastiq::x11
