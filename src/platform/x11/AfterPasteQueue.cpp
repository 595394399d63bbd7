#include "platform/x11/AfterPasteQueue.h"

#include <algorithm>

namespace pastiq::x11 {

void AfterPasteQueue::replayed(std::uint32_t keyTime, AfterPasteKey key, Clock::time_point now) {
    keys_.push_back(Key{keyTime, true, key, Stage::awaitingFetch, now + kFetchBound});
}

void AfterPasteQueue::queued(std::uint32_t keyTime, bool typesPaste, AfterPasteKey key) {
    keys_.push_back(Key{keyTime, typesPaste, key, Stage::waitingTurn, Clock::time_point::max()});
}

// An event carries the number of the last request the server had handled when it sent the
// event; the numbers wrap, so they are compared by their distance.
bool AfterPasteQueue::takesOver(std::uint32_t pressSequence) const {
    return isBusy() || (lastTyped_ && static_cast<std::int32_t>(pressSequence - *lastTyped_) < 0);
}

void AfterPasteQueue::writeLanded(std::uint32_t keyTime) {
    if (Key* key = find(keyTime, Stage::awaitingWrite)) {
        key->stage = Stage::written;
    }
}

// Only a paste already typed can be fetched for: an earlier fetch of the same text is another
// application's, or a previous paste of the same entry.
void AfterPasteQueue::fetched(std::uint32_t keyTime, Clock::time_point now) {
    if (Key* key = find(keyTime, Stage::awaitingFetch)) {
        key->stage = Stage::fetched;
        key->deadline = now + kModifierBound;
    }
}

bool AfterPasteQueue::typesNext() const {
    if (keys_.empty()) {
        return false;
    }
    const Key& head = keys_.front();
    return head.stage == Stage::written ||
           (head.stage == Stage::fetched && head.key != AfterPasteKey::none);
}

std::vector<AfterPasteQueue::Step> AfterPasteQueue::due(Clock::time_point now, bool modifiersHeld) {
    std::vector<Step> steps;
    while (!keys_.empty() && advanceHead(now, modifiersHeld, steps)) {
    }
    return steps;
}

bool AfterPasteQueue::advanceHead(Clock::time_point now, bool modifiersHeld,
                                  std::vector<Step>& steps) {
    Key& head = keys_.front();
    switch (head.stage) {
        case Stage::waitingTurn:
            steps.push_back(Step{Step::Kind::carryOut, head.keyTime});
            if (!head.typesPaste) {
                keys_.pop_front();
            } else {
                head.stage = Stage::awaitingWrite;
            }
            return true;
        case Stage::awaitingWrite:
            return false;
        case Stage::written:
            steps.push_back(Step{Step::Kind::typePaste, head.keyTime});
            head.stage = Stage::awaitingFetch;
            head.deadline = now + kFetchBound;
            return true;
        case Stage::awaitingFetch:
            if (now < head.deadline) {
                return false;
            }
            if (head.key != AfterPasteKey::none) {
                // The key goes no more, but the paste keeps its turn a while: an application
                // that fetches late would get the next item, written in the next turn.
                steps.push_back(Step{Step::Kind::keyDropped, head.keyTime, head.key});
                head.key = AfterPasteKey::none;
                head.deadline = now + kLateFetchBound;
                return true;
            }
            break;
        case Stage::fetched:
            if (head.key == AfterPasteKey::none) {
                break;
            }
            if (modifiersHeld && now < head.deadline) {
                return false;
            }
            steps.push_back(Step{modifiersHeld ? Step::Kind::keyDropped : Step::Kind::typeKey,
                                 head.keyTime, head.key});
            break;
    }
    keys_.pop_front();
    return true;
}

std::optional<AfterPasteQueue::Clock::time_point> AfterPasteQueue::nextDeadline(
    Clock::time_point now) const {
    if (keys_.empty()) {
        return std::nullopt;
    }
    const Key& head = keys_.front();
    if (head.stage == Stage::awaitingFetch) {
        return head.deadline;
    }
    if (head.stage == Stage::fetched) {
        return std::min(head.deadline, now + kModifierPoll);
    }
    return std::nullopt;
}

AfterPasteQueue::Key* AfterPasteQueue::find(std::uint32_t keyTime, Stage stage) {
    const auto found = std::find_if(keys_.begin(), keys_.end(), [&](const Key& key) {
        return key.keyTime == keyTime && key.stage == stage;
    });
    return found == keys_.end() ? nullptr : &*found;
}

}  // namespace pastiq::x11
