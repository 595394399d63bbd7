#include "engine/PasteboardWatcher.h"

#include <algorithm>
#include <utility>

namespace pastiq {

// One wait for a copy. It ends once: with the copy, or with nothing at the deadline.
struct PasteboardWatcher::Wait {
    std::int64_t start;
    Delay deadline;
    CopyCompletion completion;
    bool isOver = false;

    void end(std::optional<ClipboardText>&& copy) {
        if (!isOver) {
            isOver = true;
            completion(std::move(copy));
        }
    }
    void giveUp() {
        if (!isOver) {
            isOver = true;
            completion(std::nullopt);
        }
    }
};

PasteboardWatcher::PasteboardWatcher(std::shared_ptr<PasteboardWriter> pasteboard,
                                     Scheduler& scheduler)
    : pasteboard_(std::move(pasteboard)), scheduler_(scheduler) {}

void PasteboardWatcher::waitForCopy(std::int64_t start, CopyCompletion completion) {
    check(std::make_shared<Wait>(Wait{start, scheduler_.now() + kTimeout, std::move(completion)}));
}

void PasteboardWatcher::check(const std::shared_ptr<Wait>& wait) {
    if (pasteboard_->hasForeignChangeSince(wait->start)) {
        readCopy(wait);
    } else {
        checkAgainOrGiveUp(wait);
    }
}

void PasteboardWatcher::readCopy(const std::shared_ptr<Wait>& wait) {
    // A read started at the deadline still gets its turn: an answer already on its way comes
    // before timed work due at the same moment.
    const Delay untilDeadline = std::max(wait->deadline - scheduler_.now(), Delay{0});
    const WorkItem giveUp = scheduler_.runAfter(untilDeadline, [weakSelf = weak_from_this(), wait] {
        if (weakSelf.lock()) {
            wait->giveUp();
        }
    });
    pasteboard_->readForeignCopy(
        [weakSelf = weak_from_this(), wait, giveUp](std::optional<ClipboardText> copy) {
            auto self = weakSelf.lock();
            if (!self || wait->isOver) {
                return;
            }
            giveUp.cancel();
            if (copy) {
                wait->end(std::move(copy));
            } else {
                self->checkAgainOrGiveUp(wait);
            }
        });
}

void PasteboardWatcher::checkAgainOrGiveUp(const std::shared_ptr<Wait>& wait) {
    if (scheduler_.now() >= wait->deadline) {
        wait->giveUp();
        return;
    }
    scheduler_.runAfter(kPollInterval, [weakSelf = weak_from_this(), wait] {
        if (auto self = weakSelf.lock()) {
            self->check(wait);
        }
    });
}

}  // namespace pastiq
