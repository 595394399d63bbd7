#include "platform/wayland/KeyRouter.h"

#include <algorithm>
#include <iterator>

#include "engine/PasteGate.h"
#include "platform/wayland/KeyMeaning.h"

namespace pastiq::wayland {
namespace {

constexpr std::int32_t kRelease = 0;
constexpr std::int32_t kPress = 1;

bool isHotkey(const KeyEvent& event, std::uint16_t code, std::uint16_t copyKey) {
    const Modifiers& held = event.modifiers;
    return code == copyKey && held.ctrl && held.alt && !held.shift && !held.super;
}

}  // namespace

KeyRouter::KeyRouter(KeySink& sink, KeyMeaning& meaning, Hooks hooks)
    : sink_(sink), meaning_(meaning), hooks_(std::move(hooks)) {}

void KeyRouter::onKey(std::uint16_t code, std::int32_t value, bool sendOn) {
    if (value != kRelease && value != kPress) {
        return;
    }
    const bool pressed = value == kPress;
    Pending pending;
    pending.stroke = KeyStroke{code, pressed};
    pending.sendOn = sendOn;
    if (pressed) {
        // The meaning is read at arrival: keys typed after this one must not change it.
        pending.event = meaning_.pressOf(code);
        pending.role = isHotkey(pending.event, code, meaning_.copyKey())
                           ? Role::hotkey
                           : roleOf(pending.event, sendOn);
        pending.consumeHotkey = pending.role == Role::hotkey && judging_ && sendOn;
    }
    meaning_.update(code, pressed);
    if (!sendOn && queue_.empty() && pending.role == Role::plain) {
        return;
    }
    queue_.push_back(pending);
    pump();
}

KeyRouter::Role KeyRouter::roleOf(const KeyEvent& event, bool sendOn) const {
    return judging_ && sendOn && gateKeyKindOf(event) != GateKeyKind::other ? Role::session
                                                                            : Role::plain;
}

void KeyRouter::verdict(KeyId id, KeyVerdict verdict) {
    const auto found = std::find_if(queue_.begin(), queue_.end(), [id](const Pending& pending) {
        return pending.role == Role::session && pending.id == id && pending.asked;
    });
    if (found == queue_.end() || found->verdict) {
        return;
    }
    found->verdict = verdict;
    if (!pumping_) {
        pump();
    }
}

void KeyRouter::passOnThenHold(KeyId id) {
    if (!queue_.empty() && queue_.front().id == id && queue_.front().asked &&
        !queue_.front().verdict) {
        queue_.front().holdAfter = true;
    }
    verdict(id, KeyVerdict::passOn);
}

void KeyRouter::resumeWithKey(std::uint16_t code) {
    if (!holding_) {
        return;
    }
    holding_ = false;
    if (code != 0) {
        std::vector<std::uint16_t> modifiers;
        std::copy_if(sinkHeld_.begin(), sinkHeld_.end(), std::back_inserter(modifiers),
                     [this](std::uint16_t held) { return meaning_.isShortcutModifier(held); });
        std::vector<KeyStroke> strokes;
        strokes.reserve(modifiers.size() * 2 + 2);
        for (const std::uint16_t modifier : modifiers) {
            strokes.push_back({modifier, false});
        }
        strokes.push_back({code, true});
        strokes.push_back({code, false});
        for (const std::uint16_t modifier : modifiers) {
            strokes.push_back({modifier, true});
        }
        for (const KeyStroke& stroke : strokes) {
            Pending pending;
            pending.stroke = stroke;
            pending.role = Role::madeUp;
            emit(pending);
        }
    }
    pump();
}

void KeyRouter::inject(const std::vector<KeyStroke>& strokes) {
    for (const KeyStroke& stroke : strokes) {
        Pending pending;
        pending.stroke = stroke;
        pending.role = Role::madeUp;
        queue_.push_back(pending);
    }
    pump();
}

void KeyRouter::passOnAll() {
    holding_ = false;
    for (Pending& pending : queue_) {
        if (pending.role == Role::session && !pending.verdict) {
            pending.verdict = KeyVerdict::passOn;
        }
    }
    pump();
}

void KeyRouter::releaseHeld() {
    for (const std::uint16_t code : sinkHeld_) {
        sinkWorks_ = sink_.send({KeyStroke{code, false}}) && sinkWorks_;
    }
    sinkHeld_.clear();
    consumed_.clear();
}

// Judges one session key at a time: the next one's item must not reach the clipboard before
// the key ahead of it has been passed on.
void KeyRouter::pump() {
    if (pumping_) {
        return;
    }
    pumping_ = true;
    while (!queue_.empty() && !holding_) {
        Pending& head = queue_.front();
        if (head.role == Role::session && !head.verdict) {
            if (head.asked) {
                break;
            }
            head.asked = true;
            head.id = nextId_++;
            if (hooks_.judge) {
                hooks_.judge(head.id, head.event);
                // The verdict may have come at once, or the router may be reentered.
                continue;
            }
            head.verdict = KeyVerdict::passOn;
        }
        const Pending front = head;
        queue_.pop_front();
        if (front.role == Role::hotkey && hooks_.onHotkey) {
            hooks_.onHotkey();
        }
        const bool consumed =
            (front.role == Role::session && front.verdict == KeyVerdict::consume) ||
            front.consumeHotkey;
        if (consumed) {
            drop(front);
        } else if (front.sendOn) {
            emit(front);
        }
        holding_ = front.holdAfter;
    }
    pumping_ = false;
}

void KeyRouter::drop(const Pending& pending) {
    consumed_.insert(pending.stroke.code);
}

void KeyRouter::emit(const Pending& pending) {
    const KeyStroke& stroke = pending.stroke;
    if (!stroke.pressed && pending.role != Role::madeUp && consumed_.erase(stroke.code) > 0) {
        return;
    }
    if (stroke.pressed) {
        sinkHeld_.insert(stroke.code);
    } else if (sinkHeld_.erase(stroke.code) == 0 && pending.role != Role::madeUp) {
        // A release of a key the sink never pressed (held before the grab) means nothing to the
        // virtual keyboard; the compositor never saw its press through it.
        return;
    }
    sinkWorks_ = sink_.send({stroke});
}

}  // namespace pastiq::wayland
