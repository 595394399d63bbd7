#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/PasteGate.h"
#include "engine/ports/KeyGrab.h"
#include "engine/ports/Scheduler.h"
#include "model/StepGuard.h"

namespace pastiq {

// Recognises Ctrl+V, Ctrl+C, Ctrl+[ and Ctrl+] while installed. Ctrl+V's callback runs before
// the key is passed on, so the clipboard holds the next item when the application pastes;
// the other callbacks are queued on the main loop. Ctrl+[ and Ctrl+] are consumed.
class SessionKeyGrab {
  public:
    SessionKeyGrab(KeyGrab& backend, Scheduler& scheduler);
    ~SessionKeyGrab();
    SessionKeyGrab(const SessionKeyGrab&) = delete;
    SessionKeyGrab& operator=(const SessionKeyGrab&) = delete;

    std::function<void()> onPasteKey;
    std::function<void()> onCopyKey;
    std::function<void()> onStepBackward;
    std::function<void()> onStepForward;
    // A key the gate decided and the backend carried out, in order with the keys judged here.
    std::function<void(const GateKey&)> onGateKey;
    // After every key judged here, once its callback has run (queued ones included).
    std::function<void()> onKeyDone;

    // Installing twice leaves one interception. False when the system refused.
    bool install();
    void remove();
    [[nodiscard]] bool isInstalled() const { return isInstalled_; }
    // The gate of the current interception; a new one for every install, so a key of an
    // earlier session's gate is never taken for this one's.
    [[nodiscard]] const std::shared_ptr<PasteGate>& gate() const { return gate_; }
    // Gate keys this interception has reported so far.
    [[nodiscard]] std::uint64_t gateKeysReported() const { return gateKeysReported_; }
    // Keys this interception has judged itself so far.
    [[nodiscard]] std::uint64_t keysJudged() const { return keysJudged_; }

    KeyVerdict handleEvent(const KeyEvent& event);
    void handleDisabled();

  private:
    void queue(const std::function<void()>& callback);

    KeyGrab& backend_;
    Scheduler& scheduler_;
    bool isInstalled_ = false;
    std::shared_ptr<PasteGate> gate_ = std::make_shared<PasteGate>();
    StepGuard interception_;
    std::uint64_t gateKeysReported_ = 0;
    std::uint64_t keysJudged_ = 0;
};

}  // namespace pastiq
