#include "platform/x11/AfterPasteQueue.h"

#include <algorithm>

namespace pastiq::x11 {

void AfterPasteQueue::replayed(std::uint32_t keyTime, AfterPasteKey key, Clock::time_point now) {
    pastes_.push_back(Paste{keyTime, key, Stage::awaitingFetch, now + kFetchBound});
}

void AfterPasteQueue::takenOver(std::uint32_t keyTime, AfterPasteKey key) {
    pastes_.push_back(Paste{keyTime, key, Stage::awaitingWrite, Clock::time_point::max()});
}

void AfterPasteQueue::writeLanded(std::uint32_t keyTime) {
    if (Paste* paste = find(keyTime, Stage::awaitingWrite)) {
        paste->stage = Stage::written;
    }
}

// Only a paste already typed can be fetched for: an earlier fetch of the same text is another
// application's, or a previous paste of the same entry.
void AfterPasteQueue::fetched(std::uint32_t keyTime) {
    if (Paste* paste = find(keyTime, Stage::awaitingFetch)) {
        paste->stage = Stage::fetched;
    }
}

std::vector<AfterPasteQueue::Step> AfterPasteQueue::due(Clock::time_point now) {
    std::vector<Step> steps;
    while (!pastes_.empty()) {
        Paste& head = pastes_.front();
        if (head.stage == Stage::awaitingWrite) {
            break;
        }
        if (head.stage == Stage::written) {
            steps.push_back(Step{Step::Kind::typePaste, head.keyTime});
            head.stage = Stage::awaitingFetch;
            head.deadline = now + kFetchBound;
            continue;
        }
        if (head.stage == Stage::fetched) {
            if (head.key != AfterPasteKey::none) {
                steps.push_back(Step{Step::Kind::typeKey, head.keyTime, head.key});
            }
        } else if (now < head.deadline) {
            break;
        }
        pastes_.pop_front();
    }
    return steps;
}

std::optional<AfterPasteQueue::Clock::time_point> AfterPasteQueue::nextDeadline() const {
    if (pastes_.empty() || pastes_.front().stage != Stage::awaitingFetch) {
        return std::nullopt;
    }
    return pastes_.front().deadline;
}

AfterPasteQueue::Paste* AfterPasteQueue::find(std::uint32_t keyTime, Stage stage) {
    const auto found = std::find_if(pastes_.begin(), pastes_.end(), [&](const Paste& paste) {
        return paste.keyTime == keyTime && paste.stage == stage;
    });
    return found == pastes_.end() ? nullptr : &*found;
}

}  // namespace pastiq::x11
