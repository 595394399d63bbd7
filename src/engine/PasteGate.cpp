#include "engine/PasteGate.h"

#include <utility>

namespace pastiq {

namespace {

// Where a step key moves the cursor, in range or not.
std::int64_t stepTarget(GateKeyKind kind, std::int64_t cursor) {
    return cursor + (kind == GateKeyKind::stepForward ? 1 : -1);
}

}  // namespace

GateKeyKind gateKeyKindOf(const KeyEvent& event) {
    const Modifiers& held = event.modifiers;
    if (event.isRepeat || !held.ctrl || held.shift || held.alt || held.super) {
        return GateKeyKind::other;
    }
    switch (event.key) {
        case KeyPosition::v:
            return GateKeyKind::paste;
        case KeyPosition::c:
            return GateKeyKind::copy;
        case KeyPosition::leftBracket:
            return GateKeyKind::stepBackward;
        case KeyPosition::rightBracket:
            return GateKeyKind::stepForward;
        case KeyPosition::other:
            break;
    }
    return GateKeyKind::other;
}

void PasteGate::publish(GateState state) {
    const std::lock_guard lock(mutex_);
    const std::uint64_t firstUntaken = decidedKeys_ - untaken_.size();
    for (std::uint64_t taken = firstUntaken; taken < state.acknowledgedKeys && !untaken_.empty();
         ++taken) {
        untaken_.pop_front();
    }
    state_ = std::move(state);
    reforecast();
}

std::optional<GateKey> PasteGate::decide(const KeyEvent& event) {
    const std::lock_guard lock(mutex_);
    if (isHeldBack() || !forecast_) {
        return std::nullopt;
    }
    const GateKeyKind kind = gateKeyKindOf(event);
    if (kind == GateKeyKind::other) {
        // Passed on untouched, as the engine would; nothing for it to take in.
        return GateKey{};
    }
    auto key = decideFor(kind, *forecast_);
    if (key) {
        forecast_ = applied(*forecast_, *key);
        untaken_.push_back(*key);
        ++decidedKeys_;
    }
    return key;
}

void PasteGate::keyHandedToMainThread() {
    const std::lock_guard lock(mutex_);
    ++keysHandedOver_;
}

void PasteGate::keyPassedOnUnjudged() {
    const std::lock_guard lock(mutex_);
    ++keysPassedOnUnjudged_;
}

bool PasteGate::isHeldBack() const {
    const std::uint64_t judgedThere = keysHandedOver_ - keysPassedOnUnjudged_;
    return !state_ || state_->judgedKeys < judgedThere || untaken_.size() >= kMaxUntakenKeys;
}

// The same outcome as the engine's handling of the key in the forecast state, or nothing when
// the item it needs was not published.
std::optional<GateKey> PasteGate::decideFor(GateKeyKind kind, const Forecast& forecast) const {
    const GateState& state = *state_;
    if (kind == GateKeyKind::copy) {
        return GateKey{kind, KeyVerdict::passOn, std::nullopt, AfterPasteKey::none, 0};
    }
    if (kind == GateKeyKind::paste) {
        if (!state.hasSession || forecast.isFinished || state.count == 0) {
            return GateKey{kind, KeyVerdict::passOn, std::nullopt, AfterPasteKey::none, 0};
        }
        const GateItem* item = itemAt(forecast.cursor);
        if (item == nullptr) {
            return std::nullopt;
        }
        return GateKey{kind, KeyVerdict::passOn, *item,
                       afterPasteKeyFor(state.afterEachPaste, state.rowLength, forecast.cursor), 0};
    }
    const std::int64_t target = stepTarget(kind, forecast.cursor);
    if (!state.hasSession || target < 0 || target >= state.count) {
        return GateKey{kind, KeyVerdict::consume, std::nullopt, AfterPasteKey::none, 0};
    }
    const GateItem* item = itemAt(target);
    return item ? std::optional(GateKey{kind, KeyVerdict::consume, *item, AfterPasteKey::none, 0})
                : std::nullopt;
}

// What the engine makes of the key when it takes it in (SessionController::reconcileGateKey).
std::optional<PasteGate::Forecast> PasteGate::applied(Forecast forecast, const GateKey& key) const {
    const GateState& state = *state_;
    switch (key.kind) {
        case GateKeyKind::paste: {
            if (!key.item || forecast.isFinished || state.count == 0) {
                return forecast;
            }
            const GateItem* next = itemAt(forecast.cursor);
            if (next == nullptr) {
                return std::nullopt;
            }
            return next->id == key.item->id ? afterPaste(forecast) : forecast;
        }
        case GateKeyKind::stepBackward:
        case GateKeyKind::stepForward: {
            const std::int64_t target = stepTarget(key.kind, forecast.cursor);
            if (state.hasSession && target >= 0 && target < state.count) {
                return Forecast{false, target};
            }
            return forecast;
        }
        case GateKeyKind::copy:
        case GateKeyKind::other:
            break;
    }
    return forecast;
}

PasteGate::Forecast PasteGate::afterPaste(Forecast forecast) const {
    const GateState& state = *state_;
    if (forecast.cursor < state.count - 1) {
        ++forecast.cursor;
    } else if (state.finishBehavior == ListFinishBehavior::returnToFirstItem) {
        forecast.cursor = 0;
    } else if (state.finishBehavior == ListFinishBehavior::clearClipboard) {
        forecast.isFinished = true;
    }
    return forecast;
}

const GateItem* PasteGate::itemAt(std::int64_t index) const {
    const GateState& state = *state_;
    const std::int64_t offset = index - state.windowStart;
    if (offset >= 0 && offset < static_cast<std::int64_t>(state.window.size())) {
        return &state.window[static_cast<std::size_t>(offset)];
    }
    if (index == 0 && state.firstItem) {
        return &*state.firstItem;
    }
    return nullptr;
}

void PasteGate::reforecast() {
    std::optional<Forecast> forecast = Forecast{state_->isFinished, state_->cursor};
    for (const GateKey& key : untaken_) {
        if (!forecast) {
            break;
        }
        forecast = applied(*forecast, key);
    }
    forecast_ = forecast;
}

}  // namespace pastiq
