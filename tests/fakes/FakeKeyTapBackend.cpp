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
    return handlers_.onKeyDown(event);
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
