#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "engine/GateState.h"
#include "engine/ports/KeyGrab.h"

namespace pastiq {

// Decides the session's keys on the platform's key thread from the state the engine published
// last, so a busy main thread neither delays a key nor lets the application paste the previous
// item again. Keys decided here and not yet taken in by the engine are applied to that state by
// the engine's own rules (a paste moves the queue on only if its item is still the next one,
// the finish behaviour after the last item, steps within the queue), which gives the state the
// next key finds. The gate leaves a key to the main thread while a key handed there has not been
// judged and published, when the item it needs is outside the published window, or when too
// many keys wait to be taken in. Thread-safe.
class PasteGate {
  public:
    // Items published on each side of the cursor.
    static constexpr std::int64_t kWindow = 32;
    static constexpr std::size_t kMaxUntakenKeys = 256;

    // Main thread, whenever no change of the session is half done.
    void publish(GateState state);
    // Key thread. What to do with this key, or nothing when the main thread decides.
    [[nodiscard]] std::optional<GateKey> decide(const KeyEvent& event);
    // Key thread: a key was handed to the main thread; until the engine has published its
    // effects the gate decides nothing, since that key may change what comes next.
    void keyHandedToMainThread();
    // Key thread: a key handed over was passed on before the main thread started on it.
    void keyPassedOnUnjudged();

  private:
    // The session as it will be once the engine has taken in every key decided so far.
    struct Forecast {
        bool isFinished = false;
        std::int64_t cursor = 0;
    };

    [[nodiscard]] bool isHeldBack() const;
    [[nodiscard]] std::optional<GateKey> decideFor(GateKeyKind kind,
                                                   const Forecast& forecast) const;
    [[nodiscard]] std::optional<Forecast> applied(Forecast forecast, const GateKey& key) const;
    [[nodiscard]] Forecast afterPaste(Forecast forecast) const;
    [[nodiscard]] const GateItem* itemAt(std::int64_t index) const;
    void reforecast();

    std::mutex mutex_;
    std::optional<GateState> state_;
    std::optional<Forecast> forecast_;
    // Decided keys the published state does not hold yet, oldest first.
    std::deque<GateKey> untaken_;
    std::uint64_t decidedKeys_ = 0;
    std::uint64_t keysHandedOver_ = 0;
    std::uint64_t keysPassedOnUnjudged_ = 0;
};

// Which of the session's keys the event is: Ctrl held without Shift, Alt or Super, and not an
// auto-repeat; anything else is `other`.
[[nodiscard]] GateKeyKind gateKeyKindOf(const KeyEvent& event);

}  // namespace pastiq
