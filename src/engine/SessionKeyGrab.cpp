#include "engine/SessionKeyGrab.h"

#include <utility>

namespace pastiq {

SessionKeyGrab::SessionKeyGrab(KeyGrab& backend, Scheduler& scheduler)
    : backend_(backend), scheduler_(scheduler) {}

SessionKeyGrab::~SessionKeyGrab() {
    // The backend's handlers point at this grab; leaving them installed would hand later key
    // presses to a destroyed object.
    remove();
}

bool SessionKeyGrab::install() {
    remove();
    // A new interception cuts off the gate keys still on their way from the one it replaces.
    interception_ = StepGuard{};
    gate_ = std::make_shared<PasteGate>();
    gateKeysReported_ = 0;
    keysJudged_ = 0;
    KeyGrab::Handlers handlers;
    handlers.onKeyDown = [this](const KeyEvent& event) { return handleEvent(event); };
    handlers.onDisabled = [this] { handleDisabled(); };
    handlers.gate = gate_;
    handlers.onGateKey = interception_.bind([this](const GateKey& key) {
        ++gateKeysReported_;
        if (onGateKey) {
            onGateKey(key);
        }
    });
    isInstalled_ = backend_.install(std::move(handlers));
    return isInstalled_;
}

void SessionKeyGrab::remove() {
    if (!isInstalled_) {
        return;
    }
    backend_.remove();
    isInstalled_ = false;
}

KeyVerdict SessionKeyGrab::handleEvent(const KeyEvent& event) {
    ++keysJudged_;
    KeyVerdict verdict = KeyVerdict::passOn;
    switch (gateKeyKindOf(event)) {
        case GateKeyKind::paste:
            // Synchronous: the clipboard must hold the next item before the application pastes.
            if (onPasteKey) {
                onPasteKey();
            }
            break;
        case GateKeyKind::copy:
            queue(onCopyKey);
            break;
        case GateKeyKind::stepBackward:
            queue(onStepBackward);
            verdict = KeyVerdict::consume;
            break;
        case GateKeyKind::stepForward:
            queue(onStepForward);
            verdict = KeyVerdict::consume;
            break;
        case GateKeyKind::other:
            break;
    }
    // Queued after the key's own callback: it runs once the key has had its effect.
    queue(onKeyDone);
    return verdict;
}

void SessionKeyGrab::handleDisabled() {
    if (isInstalled_) {
        backend_.enable();
    }
}

void SessionKeyGrab::queue(const std::function<void()>& callback) {
    // The verdict goes back at once; the callback runs on the next turn of the main loop. A
    // copy of the callback is queued so the step never refers to the grab itself.
    if (callback) {
        scheduler_.runSoon(callback);
    }
}

}  // namespace pastiq
