#include "engine/PasteEventTap.h"

#include <utility>

namespace pastiq {

PasteEventTap::PasteEventTap(KeyTapBackend& backend, Scheduler& scheduler)
    : backend_(backend), scheduler_(scheduler) {}

PasteEventTap::~PasteEventTap() {
    // The backend's handlers point at this tap; leaving them installed would hand later key
    // presses to a destroyed object.
    remove();
}

bool PasteEventTap::install() {
    remove();
    gate_ = std::make_shared<PasteGate>();
    gatePastesReported_ = 0;
    KeyTapBackend::Handlers handlers;
    handlers.onKeyDown = [this](const KeyEvent& event) { return handleEvent(event); };
    handlers.onDisabled = [this] { handleDisabled(); };
    handlers.gate = gate_;
    handlers.onGatePaste = [this, gate = std::weak_ptr<PasteGate>(gate_)](const GatePaste& paste) {
        if (gate.lock() != gate_) {
            return;
        }
        ++gatePastesReported_;
        if (onGatePaste) {
            onGatePaste(paste);
        }
    };
    isInstalled_ = backend_.install(std::move(handlers));
    return isInstalled_;
}

void PasteEventTap::remove() {
    if (!isInstalled_) {
        return;
    }
    backend_.remove();
    isInstalled_ = false;
}

bool PasteEventTap::matches(const KeyEvent& event, KeyPosition key) {
    const Modifiers& held = event.modifiers;
    return !event.isRepeat && event.key == key && held.ctrl && !held.shift && !held.alt &&
           !held.super;
}

KeyVerdict PasteEventTap::handleEvent(const KeyEvent& event) {
    if (matches(event, KeyPosition::v)) {
        // Synchronous: the clipboard must hold the next item before the application pastes.
        if (onCommandV) {
            onCommandV();
        }
        return KeyVerdict::passOn;
    }
    if (matches(event, KeyPosition::c)) {
        queue(onCommandC);
        return KeyVerdict::passOn;
    }
    if (matches(event, KeyPosition::leftBracket)) {
        queue(onStepBackward);
        return KeyVerdict::consume;
    }
    if (matches(event, KeyPosition::rightBracket)) {
        queue(onStepForward);
        return KeyVerdict::consume;
    }
    return KeyVerdict::passOn;
}

void PasteEventTap::handleDisabled() {
    if (isInstalled_) {
        backend_.enable();
    }
}

void PasteEventTap::queue(const std::function<void()>& callback) {
    // The verdict goes back at once; the callback runs on the next turn of the main loop. A
    // copy of the callback is queued so the step never refers to the tap itself.
    if (callback) {
        scheduler_.runSoon(callback);
    }
}

}  // namespace pastiq
