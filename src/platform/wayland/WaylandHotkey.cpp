#include "platform/wayland/WaylandHotkey.h"

#include <chrono>

#include "engine/ports/Log.h"
#include "platform/wayland/KeyLoop.h"
#include "platform/wayland/KeyboardHub.h"

namespace pastiq::wayland {
namespace {

constexpr std::chrono::milliseconds kQueryBound{250};

}  // namespace

WaylandHotkey::WaylandHotkey(KeyLoop& loop, KeyboardHub& hub, MainThreadPost mainThread, Log& log)
    : loop_(loop), hub_(hub), mainThread_(std::move(mainThread)), log_(log) {}

WaylandHotkey::~WaylandHotkey() {
    mainGuard_.cancel();
}

void WaylandHotkey::registerHotkey(std::function<void()> onPressed) {
    onPressed_ = std::make_shared<std::function<void()>>(std::move(onPressed));
    const auto keyboards =
        callOnKeyLoop<std::size_t>(loop_, kQueryBound, [this] { return hub_.keyboardCount(); });
    if (keyboards.value_or(0) == 0) {
        log_.error(LogCategory::session, "Hot key Ctrl+Alt+C cannot be seen: no keyboard is read");
    }
}

void WaylandHotkey::unregisterHotkey() {
    onPressed_.reset();
}

void WaylandHotkey::handlePress() const {
    mainThread_(mainGuard_.bind([this] {
        if (const auto onPressed = onPressed_; onPressed && *onPressed) {
            (*onPressed)();
        }
    }));
}

}  // namespace pastiq::wayland
