#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace pastiq {

// The shortcut keys Pastiq listens for. The platform finds them on the keyboard: C and V are
// the keys applications take for Ctrl+C and Ctrl+V, the brackets stay at their positions.
enum class KeyPosition { c, v, leftBracket, rightBracket, other };

// Modifiers held during a key press. Lock states (Caps Lock, Num Lock, ...) are not reported.
struct Modifiers {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    bool super = false;
    friend bool operator==(const Modifiers&, const Modifiers&) = default;
};

struct KeyEvent {
    KeyPosition key = KeyPosition::other;
    Modifiers modifiers;
    bool isRepeat = false;
};

enum class KeyVerdict { passOn, consume };

class PasteGate;
struct GateKey;

// System-wide interception of key presses while a session runs. The backend calls the handlers
// on the main thread; the key press waits for onKeyDown's verdict. A backend that judges keys on
// a thread of its own asks the gate first: a key the gate decides is carried out there (its item
// written, its verdict given) and reported through onGateKey afterwards; a key the gate leaves
// undecided goes to onKeyDown as before.
class KeyGrab {
  public:
    struct Handlers {
        std::function<KeyVerdict(const KeyEvent&)> onKeyDown;
        // The system switched interception off (for example after a slow verdict).
        std::function<void()> onDisabled;
        // Optional. Shared with the backend's key thread.
        std::shared_ptr<PasteGate> gate = nullptr;
        std::function<void(const GateKey&)> onGateKey = nullptr;
    };

    virtual ~KeyGrab() = default;
    // True when interception is active. Handlers are kept until remove().
    virtual bool install(Handlers handlers) = 0;
    virtual void remove() = 0;
    // Switches interception back on after onDisabled.
    virtual void enable() = 0;
};

}  // namespace pastiq
