#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <optional>

#include "engine/AfterEachPaste.h"
#include "platform/x11/AfterPasteQueue.h"
#include "platform/x11/KeyTyper.h"
#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

struct KeyboardLayout;
class XConnection;

// Presses the key that follows each paste and types the pastes taken over to keep it in
// order (see AfterPasteQueue). Key thread only.
class AfterPasteKeys {
  public:
    // Told the press time of a taken-over Ctrl+V once Pastiq has typed it, as of a replay.
    using PasteTyped = std::function<void(xcb_timestamp_t)>;

    AfterPasteKeys(XConnection& connection, TimerQueue& timers,
                   const std::optional<KeyboardLayout>& layout);
    AfterPasteKeys(const AfterPasteKeys&) = delete;
    AfterPasteKeys& operator=(const AfterPasteKeys&) = delete;

    void setPasteTypedObserver(PasteTyped observer) { pasteTyped_ = std::move(observer); }

    // Whether a Ctrl+V arriving now must be taken over: an earlier paste still owes its key.
    [[nodiscard]] bool takesOver() const { return queue_.isBusy(); }
    // A Ctrl+V about to be replayed with its item in place.
    void pasteReplayed(xcb_timestamp_t keyTime, AfterPasteKey key);
    // A Ctrl+V consumed, its item written or none; typed once `writeLanded` says so.
    void pasteTakenOver(xcb_timestamp_t keyTime, AfterPasteKey key);
    void writeLanded(xcb_timestamp_t keyTime);
    void fetched(xcb_timestamp_t keyTime);
    // The grabs are gone: nothing more is typed, and the spare key goes back to the keymap.
    void stop();

  private:
    void typeDue();

    TimerQueue& timers_;
    const std::optional<KeyboardLayout>& layout_;
    KeyTyper typer_;
    AfterPasteQueue queue_;
    PasteTyped pasteTyped_;
    bool isPrepared_ = false;
    std::optional<TimerQueue::Id> deadlineTimer_;
};

}  // namespace pastiq::x11
