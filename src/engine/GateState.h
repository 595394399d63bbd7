#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/AfterEachPaste.h"
#include "engine/ListFinishBehavior.h"
#include "engine/ports/KeyGrab.h"
#include "model/Uuid.h"

namespace pastiq {

// One queued item as the gate holds it: its text is shared, never copied per key.
struct GateItem {
    Uuid id;
    std::shared_ptr<const std::string> text;
    friend bool operator==(const GateItem&, const GateItem&) = default;
};

// What the engine last told the gate about the session, at a moment when no change was half
// done.
struct GateState {
    bool hasSession = false;
    bool isFinished = false;
    std::int64_t cursor = 0;
    std::int64_t count = 0;
    ListFinishBehavior finishBehavior = ListFinishBehavior::clearClipboard;
    AfterEachPaste afterEachPaste = AfterEachPaste::nothing;
    // Cells per row while the queue runs through a grid row by row; 0 otherwise.
    std::int64_t rowLength = 0;
    // The items from windowStart on, around the cursor.
    std::int64_t windowStart = 0;
    std::vector<GateItem> window;
    // The first item wherever the window is: a finish that returns to it goes on from there.
    std::optional<GateItem> firstItem;
    // Keys the gate decided that the engine has taken into this state.
    std::uint64_t acknowledgedKeys = 0;
    // Keys handed to the engine that it has judged, their effects included in this state.
    std::uint64_t judgedKeys = 0;
};

enum class GateKeyKind : std::uint8_t { paste, stepBackward, stepForward, copy, other };

// A key the gate decided. The platform writes the item (if any) for the key, gives the key its
// verdict at once and tells the engine afterwards (SessionKeyGrab::onGateKey), which then does
// what the key means by its own rules: the queue moves on, steps, or checks for a copy.
struct GateKey {
    GateKeyKind kind = GateKeyKind::other;
    KeyVerdict verdict = KeyVerdict::passOn;
    std::optional<GateItem> item;
    // For a paste of a queue item: the key Pastiq presses once the application has taken it.
    AfterPasteKey afterKey = AfterPasteKey::none;
    // Filled in by the platform: the clipboard's change count after the key's write, or at the
    // key when it wrote nothing (a copy key checks for a copy made after that).
    std::int64_t changeCount = 0;
};

}  // namespace pastiq
