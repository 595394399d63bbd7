#include "platform/wayland/WaylandKeys.h"

#include <chrono>

#include "engine/ports/Log.h"
#include "platform/wayland/KeyClipboard.h"
#include "platform/wayland/KeyLoop.h"
#include "platform/wayland/KeyboardHub.h"
#include "platform/wayland/WaylandEventPoster.h"
#include "platform/wayland/WaylandHotkey.h"
#include "platform/wayland/WaylandKeyGrab.h"
#include "platform/wayland/WaylandModifierState.h"

namespace pastiq::wayland {
namespace {

constexpr std::chrono::milliseconds kStopBound{1000};

}  // namespace

// Declared in the order they are made; the loop is stopped before any of them goes.
struct WaylandKeys::Parts {
    Parts(Devices taken, KeyClipboard& clipboard, const MainThreadPost& mainThread, Log& log)
        : devices(std::move(taken)),
          hub(KeyboardHub::Parts{loop, *devices.sink, *devices.keyboards, *devices.keymap,
                                 devices.permission.get()}),
          keyGrab(WaylandKeyGrab::Context{loop, hub, clipboard, writes, mainThread, log}),
          hotkey(loop, hub, mainThread, log),
          modifiers(hub),
          eventPoster(loop, hub) {}

    Devices devices;
    KeyLoop loop;
    JudgedKeyWrites writes;
    KeyboardHub hub;
    WaylandKeyGrab keyGrab;
    WaylandHotkey hotkey;
    WaylandModifierState modifiers;
    WaylandEventPoster eventPoster;
};

std::unique_ptr<WaylandKeys> WaylandKeys::start(Devices devices, KeyClipboard& clipboard,
                                                const MainThreadPost& mainThread, Log& log) {
    if (!devices.keyboards || !devices.keymap || !devices.sink) {
        return nullptr;
    }
    auto parts = std::make_unique<Parts>(std::move(devices), clipboard, mainThread, log);
    Parts& p = *parts;
    KeyboardHub::Hooks hooks;
    hooks.judge = [&p](KeyRouter::KeyId id, const KeyEvent& event) { p.keyGrab.judge(id, event); };
    hooks.onHotkey = [&p] { p.hotkey.handlePress(); };
    hooks.beforeUngrab = [&p] { p.keyGrab.settleAll(); };
    hooks.warn = [post = mainThread, &log](std::string message) {
        // Posted without a guard: the log outlives the backend.
        post([&log, message = std::move(message)] { log.error(LogCategory::session, message); });
    };
    hooks.onGrabLost = [&p] { p.keyGrab.grabLost(); };
    p.hub.setHooks(std::move(hooks));
    if (!p.loop.start()) {
        return nullptr;
    }
    clipboard.onFetched([post = p.loop.poster(), &p](std::int64_t count) {
        post([&p, count] { p.keyGrab.pasteFetched(count); });
    });
    p.loop.post([&p] { p.hub.start(); });
    return std::make_unique<WaylandKeys>(std::move(parts));
}

WaylandKeys::WaylandKeys(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

WaylandKeys::~WaylandKeys() {
    (void)callOnKeyLoop<bool>(parts_->loop, kStopBound, [this] {
        parts_->hub.stop();
        return true;
    });
    parts_->loop.stop();
}

KeyGrab& WaylandKeys::keyGrab() {
    return parts_->keyGrab;
}

HotkeyGrab& WaylandKeys::hotkey() {
    return parts_->hotkey;
}

ModifierState& WaylandKeys::modifiers() {
    return parts_->modifiers;
}

EventPoster& WaylandKeys::eventPoster() {
    return parts_->eventPoster;
}

JudgedKeyWrites& WaylandKeys::judgedKeyWrites() {
    return parts_->writes;
}

}  // namespace pastiq::wayland
