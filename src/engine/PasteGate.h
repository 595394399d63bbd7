#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/ports/KeyTapBackend.h"
#include "model/Uuid.h"

namespace pastiq {

// One queued item as the gate holds it: its text is shared, never copied per paste.
struct GateItem {
    Uuid id;
    std::shared_ptr<const std::string> text;
};

// What the engine last told the gate about the session.
struct GateState {
    bool isActive = false;  // a session runs and is neither finished nor empty
    std::int64_t cursor = 0;
    std::int64_t count = 0;
    // Items from the cursor on, at most kWindow of them.
    std::vector<GateItem> upcoming;
    // Gate pastes the engine has taken into this state.
    std::uint64_t acknowledgedPastes = 0;
};

// A Ctrl+V the gate decided: the platform writes the item for the key, replays the key and
// tells the engine, which then moves its queue on (PasteEventTap::onGatePaste).
struct GatePaste {
    GateItem item;
    std::int64_t changeCount = 0;  // the clipboard's change count after the write
};

// Decides a grabbed Ctrl+V on the platform's key thread from the state the engine published
// last, so a busy main thread neither delays the paste nor lets the application paste the
// previous item again. It decides only what it can know for certain: a paste of an item that
// is not the last (the finish behaviour stays the engine's), while no other key waits for the
// main thread, within the published window. Anything else it leaves undecided, and the key
// goes to the main thread as before. Thread-safe.
class PasteGate {
  public:
    static constexpr std::size_t kWindow = 32;

    // Main thread, after every change of the session.
    void publish(GateState state);
    // Key thread. The item to paste for this key, or nothing when the main thread decides.
    [[nodiscard]] std::optional<GateItem> decide(const KeyEvent& event);
    // Key thread: a key was handed to the main thread; until it is done there the gate decides
    // nothing, since that key may change what comes next (a step).
    void keyHandedToMainThread();
    // Either thread: that key was judged, or passed on unjudged.
    void mainThreadKeyDone();

  private:
    std::mutex mutex_;
    GateState state_;
    std::uint64_t decidedPastes_ = 0;
    int keysAtMainThread_ = 0;
};

}  // namespace pastiq
