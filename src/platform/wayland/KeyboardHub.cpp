#include "platform/wayland/KeyboardHub.h"

#include <algorithm>
#include <array>

#include "platform/wayland/GrabPermission.h"
#include "platform/wayland/KeySink.h"
#include "platform/wayland/KeyboardDevice.h"
#include "platform/wayland/KeyboardSource.h"
#include "platform/wayland/KeymapSource.h"

namespace pastiq::wayland {
namespace {

constexpr std::int32_t kPress = 1;
constexpr std::int32_t kRelease = 0;
constexpr std::array<std::uint16_t, 3> kLockLeds{LED_NUML, LED_CAPSL, LED_SCROLLL};

bool sendsOn(const KeyboardDevice& device, bool grabbed) {
    return grabbed || !device.reachesCompositorUngrabbed();
}

}  // namespace

KeyboardHub::KeyboardHub(const Parts& parts)
    : parts_(parts),
      router_(parts.sink, meaning_,
              KeyRouter::Hooks{[this](KeyRouter::KeyId id, const KeyEvent& event) {
                                   if (hooks_.judge) {
                                       hooks_.judge(id, event);
                                   } else {
                                       router_.verdict(id, KeyVerdict::passOn);
                                   }
                               },
                               [this] {
                                   if (hooks_.onHotkey) {
                                       hooks_.onHotkey();
                                   }
                               }}) {}

KeyboardHub::~KeyboardHub() = default;

void KeyboardHub::start() {
    watchSource(
        parts_.keyboards.fd(), [this] { return parts_.keyboards.dispatch(); },
        [this] { takeKeyboardChanges(); });
    takeKeyboardChanges();
    watchSource(
        parts_.keymap.fd(), [this] { return parts_.keymap.dispatch(); },
        [this] { followKeymap(); });
    followKeymap();
    if (GrabPermission* permission = parts_.permission; permission != nullptr) {
        watchSource(
            permission->fd(), [permission] { return (permission->dispatch(), true); },
            [this] { followPermission(); });
    }
    watchSource(
        parts_.sink.fd(), [this] { return parts_.sink.readLeds(); },
        [this] {
            for (Keyboard& keyboard : keyboards_) {
                lightLeds(keyboard);
            }
        });
}

// `dispatch` takes in what the fd reported and says whether the source is still there.
void KeyboardHub::watchSource(int fd, std::function<bool()> dispatch, std::function<void()> then) {
    if (fd < 0) {
        return;
    }
    parts_.loop.watch(fd, [this, fd, dispatch = std::move(dispatch), then = std::move(then)] {
        if (!dispatch()) {
            parts_.loop.unwatch(fd);
        }
        then();
    });
}

// A grabbed keyboard no longer hears from the compositor: it shows the lock LEDs the
// compositor set on the virtual keyboard.
void KeyboardHub::lightLeds(Keyboard& keyboard) const {
    for (const std::uint16_t led : kLockLeds) {
        if (keyboard.grabbed) {
            keyboard.device->setLed(led, parts_.sink.isLedOn(led));
        }
    }
}

void KeyboardHub::stop() {
    releaseGrab();
    parts_.loop.unwatch(parts_.keyboards.fd());
    parts_.loop.unwatch(parts_.keymap.fd());
    parts_.loop.unwatch(parts_.sink.fd());
    if (parts_.permission != nullptr) {
        parts_.loop.unwatch(parts_.permission->fd());
    }
    for (const Keyboard& keyboard : keyboards_) {
        parts_.loop.unwatch(keyboard.device->fd());
    }
    keyboards_.clear();
}

std::vector<KeyboardHub::Keyboard>::iterator KeyboardHub::findKeyboard(
    const KeyboardDevice* device) {
    return std::find_if(keyboards_.begin(), keyboards_.end(),
                        [device](const Keyboard& k) { return k.device.get() == device; });
}

void KeyboardHub::takeKeyboardChanges() {
    auto changes = parts_.keyboards.takeChanges();
    for (const auto& gone : changes.removed) {
        removeKeyboard(gone.get());
    }
    for (auto& added : changes.added) {
        addKeyboard(std::move(added));
    }
}

void KeyboardHub::addKeyboard(std::shared_ptr<KeyboardDevice> device) {
    if (!device) {
        return;
    }
    const auto held = device->heldKeys();
    KeyboardDevice* key = device.get();
    keyboards_.push_back(Keyboard{std::move(device), {held.begin(), held.end()}, false});
    parts_.loop.watch(key->fd(), [this, key] { readKeyboard(key); });
    if (grabbing_ && keyboards_.back().held.empty()) {
        grabKeyboard(keyboards_.back());
    }
    noteHotkeyHeld();
}

void KeyboardHub::removeKeyboard(const KeyboardDevice* device) {
    const auto found = findKeyboard(device);
    if (found == keyboards_.end()) {
        return;
    }
    parts_.loop.unwatch(device->fd());
    const Keyboard gone = *found;
    keyboards_.erase(found);
    // Keys held on a keyboard that went away are let go, on the sink too, so none sticks.
    for (const std::uint16_t code : gone.held) {
        router_.onKey(code, kRelease, sendsOn(*gone.device, gone.grabbed));
    }
    noteHotkeyHeld();
    tryGrab();
}

void KeyboardHub::readKeyboard(const KeyboardDevice* device) {
    const auto found = findKeyboard(device);
    if (found == keyboards_.end()) {
        return;
    }
    std::vector<input_event> events;
    const bool present = found->device->read(events);
    routeEvents(*found, events);
    if (!present) {
        removeKeyboard(device);
        return;
    }
    if (!grabbing_) {
        tryGrab();
    } else if (const auto keyboard = findKeyboard(device);
               keyboard != keyboards_.end() && !keyboard->grabbed && keyboard->held.empty()) {
        grabKeyboard(*keyboard);
    }
}

void KeyboardHub::routeEvents(Keyboard& keyboard, const std::vector<input_event>& events) {
    for (const input_event& event : events) {
        if (event.type != EV_KEY) {
            continue;
        }
        if (event.value == kPress) {
            keyboard.held.insert(event.code);
        } else if (event.value == kRelease) {
            keyboard.held.erase(event.code);
        }
        // The router may call out (a gate's verdict, the hot key) but never back into the hub's
        // keyboard list, so `keyboard` stays valid.
        router_.onKey(event.code, event.value, sendsOn(*keyboard.device, keyboard.grabbed));
    }
    noteHotkeyHeld();
    checkSink();
}

void KeyboardHub::followKeymap() {
    const auto& text = parts_.keymap.keymap();
    const std::uint64_t generation = parts_.keymap.keymapGeneration();
    if (!text || (meaning_.hasKeymap() && generation == keymapGeneration_)) {
        return;
    }
    keymapGeneration_ = generation;
    if (!meaning_.setKeymap(*text, heldCodes())) {
        warn("The compositor's keymap could not be read");
        return;
    }
    tryGrab();
}

void KeyboardHub::followPermission() {
    if (parts_.permission->allowsGrab()) {
        tryGrab();
    } else {
        ungrab();
    }
}

bool KeyboardHub::mayGrab() const {
    return wanted_ && !grabbing_ && meaning_.hasKeymap() && router_.sinkWorks() &&
           (parts_.permission == nullptr || parts_.permission->allowsGrab());
}

void KeyboardHub::tryGrab() {
    if (!mayGrab()) {
        return;
    }
    for (Keyboard& keyboard : keyboards_) {
        // The kernel's key state settles it, both ways: an event missed while reading must not
        // let a held key stick, and a keyboard a key remapper holds sends Pastiq no release.
        const auto held = keyboard.device->heldKeys();
        keyboard.held = {held.begin(), held.end()};
        if (!keyboard.held.empty()) {
            return;
        }
    }
    grabbing_ = true;
    router_.setJudging(true);
    for (Keyboard& keyboard : keyboards_) {
        grabKeyboard(keyboard);
    }
    answerWaiters(true);
}

void KeyboardHub::grabKeyboard(Keyboard& keyboard) {
    keyboard.grabbed = keyboard.device->grab();
    lightLeds(keyboard);
    if (!keyboard.grabbed) {
        // Typically a key remapper holds it; its own virtual keyboard is then grabbed instead.
        warn("Keyboard \"" + keyboard.device->name() + "\" could not be grabbed");
    }
}

void KeyboardHub::requestGrab(std::chrono::milliseconds bound, std::function<void(bool)> answer) {
    if (!router_.sinkWorks()) {
        warn("The keyboards could not be grabbed: " + whyNotGrabbed());
        answer(false);
        return;
    }
    wanted_ = true;
    tryGrab();
    if (grabbing_) {
        answer(true);
        return;
    }
    const KeyLoop::TimerId timer = parts_.loop.schedule(bound, [this] { giveUpWaiting(); });
    waiters_.push_back(Waiter{timer, std::move(answer)});
}

void KeyboardHub::giveUpWaiting() {
    // Only the oldest waiter can be due first: every wait has the same kind of bound.
    if (waiters_.empty()) {
        return;
    }
    const auto expired = std::move(waiters_.front());
    waiters_.erase(waiters_.begin());
    if (waiters_.empty()) {
        warn("The keyboards could not be grabbed: " + whyNotGrabbed());
        wanted_ = false;
    }
    expired.answer(false);
}

std::string KeyboardHub::whyNotGrabbed() const {
    if (!meaning_.hasKeymap()) {
        return "the compositor has sent no keymap";
    }
    if (!router_.sinkWorks()) {
        return "the virtual keyboard is gone";
    }
    if (parts_.permission != nullptr && !parts_.permission->allowsGrab()) {
        return "the session is locked or inactive";
    }
    return "keys were held down all along";
}

// A grab with no way to pass keys on would swallow every key typed: the keyboards go back to
// the compositor at once.
void KeyboardHub::checkSink() {
    if (!grabbing_ || ungrabbing_ || router_.sinkWorks()) {
        return;
    }
    warn("The virtual keyboard is gone: keys go to applications without Pastiq");
    wanted_ = false;
    ungrab();
    if (hooks_.onGrabLost) {
        hooks_.onGrabLost();
    }
}

void KeyboardHub::releaseGrab() {
    wanted_ = false;
    answerWaiters(false);
    ungrab();
}

void KeyboardHub::ungrab() {
    if (!grabbing_ || ungrabbing_) {
        return;
    }
    ungrabbing_ = true;
    if (hooks_.beforeUngrab) {
        hooks_.beforeUngrab();
    }
    // Events already read by the kernel for the grab reach nobody else: they go on first.
    std::vector<const KeyboardDevice*> grabbed;
    for (const Keyboard& keyboard : keyboards_) {
        if (keyboard.grabbed) {
            grabbed.push_back(keyboard.device.get());
        }
    }
    for (const KeyboardDevice* device : grabbed) {
        readKeyboard(device);
    }
    router_.passOnAll();
    router_.releaseHeld();
    router_.setJudging(false);
    for (Keyboard& keyboard : keyboards_) {
        if (keyboard.grabbed) {
            keyboard.device->ungrab();
            keyboard.grabbed = false;
        }
    }
    grabbing_ = false;
    ungrabbing_ = false;
}

void KeyboardHub::answerWaiters(bool grabbed) {
    auto waiters = std::move(waiters_);
    waiters_.clear();
    for (auto& waiter : waiters) {
        parts_.loop.cancel(waiter.timer);
        waiter.answer(grabbed);
    }
}

std::vector<std::uint16_t> KeyboardHub::heldCodes() const {
    std::set<std::uint16_t> codes;
    for (const Keyboard& keyboard : keyboards_) {
        codes.insert(keyboard.held.begin(), keyboard.held.end());
    }
    return {codes.begin(), codes.end()};
}

void KeyboardHub::noteHotkeyHeld() {
    const Modifiers held = meaning_.modifiers();
    const std::uint16_t c = meaning_.copyKey();
    const bool cDown = std::any_of(keyboards_.begin(), keyboards_.end(),
                                   [c](const Keyboard& k) { return k.held.contains(c); });
    hotkeyHeld_ = held.ctrl || held.alt || cDown;
}

void KeyboardHub::warn(std::string message) const {
    if (hooks_.warn) {
        hooks_.warn(std::move(message));
    }
}

}  // namespace pastiq::wayland
