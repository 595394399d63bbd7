#include "engine/PasteGate.h"

#include <utility>

#include "engine/PasteEventTap.h"

namespace pastiq {

void PasteGate::publish(GateState state) {
    const std::lock_guard lock(mutex_);
    state_ = std::move(state);
}

std::optional<GateItem> PasteGate::decide(const KeyEvent& event) {
    if (!PasteEventTap::matches(event, KeyPosition::v)) {
        return std::nullopt;
    }
    const std::lock_guard lock(mutex_);
    if (!state_.isActive || keysAtMainThread_ > 0) {
        return std::nullopt;
    }
    // Pastes decided here that the published state does not hold yet moved the cursor on.
    const auto ahead = static_cast<std::int64_t>(decidedPastes_ - state_.acknowledgedPastes);
    const std::int64_t cursor = state_.cursor + ahead;
    const auto offset = static_cast<std::size_t>(ahead);
    if (cursor >= state_.count - 1 || offset >= state_.upcoming.size()) {
        return std::nullopt;
    }
    ++decidedPastes_;
    return state_.upcoming[offset];
}

void PasteGate::keyHandedToMainThread() {
    const std::lock_guard lock(mutex_);
    ++keysAtMainThread_;
}

void PasteGate::mainThreadKeyDone() {
    const std::lock_guard lock(mutex_);
    if (keysAtMainThread_ > 0) {
        --keysAtMainThread_;
    }
}

}  // namespace pastiq
