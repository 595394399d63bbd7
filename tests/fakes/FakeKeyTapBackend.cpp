#include "fakes/FakeKeyTapBackend.h"

#include <utility>

namespace pastiq::testing {

bool FakeKeyTapBackend::install(Handlers handlers) {
    ++installCount_;
    if (refusesInstall) {
        return false;
    }
    handlers_ = std::move(handlers);
    isInstalled_ = true;
    isEnabled_ = true;
    return true;
}

void FakeKeyTapBackend::remove() {
    ++removeCount_;
    handlers_ = {};
    isInstalled_ = false;
    isEnabled_ = false;
}

void FakeKeyTapBackend::enable() {
    ++enableCount_;
    isEnabled_ = isInstalled_;
}

KeyVerdict FakeKeyTapBackend::press(const KeyEvent& event) {
    if (!isEnabled() || !handlers_.onKeyDown) {
        return KeyVerdict::passOn;
    }
    if (usesGate && pasteThroughGate(event)) {
        return KeyVerdict::passOn;
    }
    if (usesGate && handlers_.gate) {
        // The main thread's queue is in order: pastes the gate decided before this key reach
        // the engine before the key does.
        deliverGatePastes();
        handlers_.gate->keyHandedToMainThread();
    }
    const KeyVerdict verdict = handlers_.onKeyDown(event);
    if (usesGate && handlers_.gate) {
        handlers_.gate->mainThreadKeyDone();
    }
    return verdict;
}

bool FakeKeyTapBackend::pasteThroughGate(const KeyEvent& event) {
    if (!handlers_.gate) {
        return false;
    }
    auto item = handlers_.gate->decide(event);
    if (!item) {
        return false;
    }
    const std::int64_t changeCount = writeForKey ? writeForKey(*item->text) : 0;
    gatePastes_.push_back(GatePaste{std::move(*item), changeCount});
    return true;
}

void FakeKeyTapBackend::deliverGatePastes() {
    while (!gatePastes_.empty()) {
        const GatePaste paste = gatePastes_.front();
        gatePastes_.pop_front();
        if (handlers_.onGatePaste) {
            handlers_.onGatePaste(paste);
        }
    }
}

KeyVerdict FakeKeyTapBackend::pressCtrl(KeyPosition key, Modifiers extra, bool isRepeat) {
    extra.ctrl = true;
    return press(KeyEvent{key, extra, isRepeat});
}

void FakeKeyTapBackend::reportDisabled() {
    isEnabled_ = false;
    if (isInstalled_ && handlers_.onDisabled) {
        handlers_.onDisabled();
    }
}

}  // namespace pastiq::testing
