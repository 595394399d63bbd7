#include "platform/x11/PasteCompletion.h"

#include <algorithm>

namespace pastiq::x11 {
namespace {

// Far more than a burst has on its way at once; older pastes are long past any bound.
constexpr std::size_t kKeptPastes = 64;

}  // namespace

void PasteCompletion::fetched(std::uint32_t keyTime) {
    entry(keyTime).isFetched = true;
    finishIfDone(keyTime);
}

void PasteCompletion::passedOn(std::uint32_t keyTime, bool isPinged) {
    entry(keyTime).isPinged = isPinged;
    finishIfDone(keyTime);
}

void PasteCompletion::answered(std::uint32_t keyTime) {
    entry(keyTime).isAnswered = true;
    finishIfDone(keyTime);
}

PasteCompletion::Paste& PasteCompletion::entry(std::uint32_t keyTime) {
    const auto found = std::find_if(pastes_.begin(), pastes_.end(), [keyTime](const Paste& paste) {
        return paste.keyTime == keyTime;
    });
    if (found != pastes_.end()) {
        return *found;
    }
    if (pastes_.size() == kKeptPastes) {
        pastes_.pop_front();
    }
    return pastes_.emplace_back(Paste{keyTime, false, std::nullopt, false});
}

void PasteCompletion::finishIfDone(std::uint32_t keyTime) {
    const auto paste = std::find_if(pastes_.begin(), pastes_.end(), [keyTime](const Paste& kept) {
        return kept.keyTime == keyTime;
    });
    const bool isDone =
        paste->isFetched && paste->isPinged.has_value() && (!*paste->isPinged || paste->isAnswered);
    if (isDone) {
        pastes_.erase(paste);
        done_(keyTime);
    }
}

}  // namespace pastiq::x11
