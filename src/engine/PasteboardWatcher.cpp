#include "engine/PasteboardWatcher.h"

#include <utility>

namespace pastiq {

PasteboardWatcher::PasteboardWatcher(std::shared_ptr<PasteboardWriter> pasteboard,
                                     Scheduler& scheduler)
    : pasteboard_(std::move(pasteboard)), scheduler_(scheduler) {}

void PasteboardWatcher::waitForCopy(std::int64_t start, CopyCompletion completion) {
    const Delay deadline = scheduler_.now() + kTimeout;
    if (auto copy = pasteboard_->foreignCopySince(start)) {
        completion(std::move(copy));
        return;
    }
    schedulePoll(start, deadline, std::move(completion));
}

void PasteboardWatcher::schedulePoll(std::int64_t start, Delay deadline,
                                     CopyCompletion completion) {
    std::weak_ptr<PasteboardWatcher> weakSelf = weak_from_this();
    scheduler_.runAfter(kPollInterval,
                        [weakSelf, start, deadline, completion = std::move(completion)]() mutable {
                            auto self = weakSelf.lock();
                            if (!self) {
                                return;
                            }
                            if (auto copy = self->pasteboard_->foreignCopySince(start)) {
                                completion(std::move(copy));
                            } else if (self->scheduler_.now() >= deadline) {
                                completion(std::nullopt);
                            } else {
                                self->schedulePoll(start, deadline, std::move(completion));
                            }
                        });
}

}  // namespace pastiq
