#include "engine/PasteboardWatcher.h"

#include <algorithm>
#include <utility>

namespace pastiq {

PasteboardWatcher::PasteboardWatcher(std::shared_ptr<PasteboardWriter> pasteboard,
                                     Scheduler& scheduler)
    : pasteboard_(std::move(pasteboard)), scheduler_(scheduler) {}

void PasteboardWatcher::waitForChange(std::int64_t start, Completion completion) {
    if (pasteboard_->hasForeignTextSince(start)) {
        completion(true);
        return;
    }
    const auto attempts = std::max<std::int64_t>(1, kTimeout / kPollInterval);
    schedulePoll(start, attempts, std::move(completion));
}

void PasteboardWatcher::schedulePoll(std::int64_t start, std::int64_t attemptsLeft,
                                     Completion completion) {
    std::weak_ptr<PasteboardWatcher> weakSelf = weak_from_this();
    scheduler_.runAfter(kPollInterval, [weakSelf, start, attemptsLeft,
                                        completion = std::move(completion)]() mutable {
        auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        if (self->pasteboard_->hasForeignTextSince(start)) {
            completion(true);
        } else if (attemptsLeft <= 1) {
            completion(false);
        } else {
            self->schedulePoll(start, attemptsLeft - 1, std::move(completion));
        }
    });
}

}  // namespace pastiq
