#include "fakes/FakeKeyGrab.h"

#include <utility>

namespace pastiq::testing {

bool FakeKeyGrab::install(Handlers handlers) {
    ++installCount_;
    if (refusesInstall) {
        return false;
    }
    handlers_ = std::move(handlers);
    isInstalled_ = true;
    isEnabled_ = true;
    return true;
}

void FakeKeyGrab::remove() {
    ++removeCount_;
    handlers_ = {};
    isInstalled_ = false;
    isEnabled_ = false;
}

void FakeKeyGrab::enable() {
    ++enableCount_;
    isEnabled_ = isInstalled_;
}

KeyVerdict FakeKeyGrab::press(const KeyEvent& event) {
    if (!isEnabled() || !handlers_.onKeyDown) {
        return KeyVerdict::passOn;
    }
    if (!usesGate || !handlers_.gate) {
        return handlers_.onKeyDown(event);
    }
    if (const auto verdict = decideThroughGate(event)) {
        return *verdict;
    }
    // The main thread's queue is in order: keys the gate decided before this one reach the
    // engine before it does.
    deliverGateKeys();
    handlers_.gate->keyHandedToMainThread();
    return handlers_.onKeyDown(event);
}

std::optional<KeyVerdict> FakeKeyGrab::decideThroughGate(const KeyEvent& event) {
    auto decided = handlers_.gate->decide(event);
    if (!decided) {
        return std::nullopt;
    }
    if (decided->item) {
        decided->changeCount = writeForKey ? writeForKey(*decided->item->text) : 0;
    } else {
        decided->changeCount = changeCount ? changeCount() : 0;
    }
    if (decided->kind != GateKeyKind::other) {
        gateKeys_.push_back(*decided);
    }
    return decided->verdict;
}

void FakeKeyGrab::deliverGateKeys() {
    while (!gateKeys_.empty()) {
        const GateKey key = gateKeys_.front();
        gateKeys_.pop_front();
        if (handlers_.onGateKey) {
            handlers_.onGateKey(key);
        }
    }
}

KeyVerdict FakeKeyGrab::pressCtrl(KeyPosition key, Modifiers extra, bool isRepeat) {
    extra.ctrl = true;
    return press(KeyEvent{key, extra, isRepeat});
}

void FakeKeyGrab::reportDisabled() {
    isEnabled_ = false;
    if (isInstalled_ && handlers_.onDisabled) {
        handlers_.onDisabled();
    }
}

}  // namespace pastiq::testing
