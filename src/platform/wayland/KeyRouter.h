#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "engine/ports/KeyGrab.h"
#include "platform/wayland/KeySink.h"

namespace pastiq::wayland {

class KeyMeaning;

// Where every key event read from the keyboards goes: on through the sink, in exactly the order
// it came, or nowhere. While the keyboards are grabbed, a session key press (Ctrl+V, Ctrl+C,
// Ctrl+[, Ctrl+]) waits for its verdict, and every event after it waits behind it; a consumed
// press and its later release are both dropped. Kernel auto-repeats are dropped: the compositor
// repeats held keys by itself. Key thread only; nothing here keeps or reports which keys were
// typed beyond the codes held down right now.
class KeyRouter {
  public:
    using KeyId = std::uint64_t;
    struct Hooks {
        // A session key press waits: answer with verdict(id, ...), later or at once.
        std::function<void(KeyId, const KeyEvent&)> judge = nullptr;
        // Ctrl+Alt+C went down; consumed while grabbed, else it reaches the application too.
        std::function<void()> onHotkey = nullptr;
    };

    KeyRouter(KeySink& sink, KeyMeaning& meaning, Hooks hooks);

    // One EV_KEY event from a keyboard (value 0 release, 1 press, 2 auto-repeat).
    // `sendOn`: the event does not reach the compositor unless it goes through the sink (the
    // keyboard is grabbed, or it is a stand-in with no path of its own).
    void onKey(std::uint16_t code, std::int32_t value, bool sendOn);
    // The verdict on a waiting session key; unknown ids (already settled) are ignored.
    void verdict(KeyId id, KeyVerdict verdict);
    // Passes the waiting key on and holds every event after it until resumeWithKey().
    void passOnThenHold(KeyId id);
    // Types `code` (with no shortcut modifier held: those the sink holds are let go around it)
    // where the hold is, then lets the held events go. `code` 0 types nothing.
    void resumeWithKey(std::uint16_t code);
    // Strokes Pastiq makes up itself: sent in order behind the keys waiting now, never judged.
    void inject(const std::vector<KeyStroke>& strokes);

    // Whether session keys are judged: the keyboards are grabbed for a session.
    void setJudging(bool judging) { judging_ = judging; }
    // Passes on every waiting key unjudged (the grab ends) and sends what then can go.
    void passOnAll();
    // Releases on the sink every key it holds down, so none sticks once the keyboards are
    // ungrabbed.
    void releaseHeld();
    // False once a send failed: the virtual keyboard is gone.
    [[nodiscard]] bool sinkWorks() const { return sinkWorks_; }

  private:
    enum class Role : std::uint8_t { plain, session, hotkey, madeUp };
    struct Pending {
        KeyStroke stroke;
        Role role = Role::plain;
        bool sendOn = true;
        // A hot key pressed on a grabbed keyboard belongs to Pastiq alone.
        bool consumeHotkey = false;
        KeyId id = 0;
        KeyEvent event;
        bool asked = false;
        std::optional<KeyVerdict> verdict;
        bool holdAfter = false;
    };

    [[nodiscard]] Role roleOf(const KeyEvent& event, bool sendOn) const;
    void pump();
    void emit(const Pending& pending);
    void drop(const Pending& pending);

    KeySink& sink_;
    KeyMeaning& meaning_;
    Hooks hooks_;
    bool judging_ = false;
    std::deque<Pending> queue_;
    // Codes whose press was consumed: their release is dropped too.
    std::set<std::uint16_t> consumed_;
    // Codes the sink holds down.
    std::set<std::uint16_t> sinkHeld_;
    KeyId nextId_ = 1;
    bool sinkWorks_ = true;
    // A verdict given from inside a hook is picked up by the pump already running.
    bool pumping_ = false;
    // Everything waits until the key after a paste has been typed.
    bool holding_ = false;
};

}  // namespace pastiq::wayland
