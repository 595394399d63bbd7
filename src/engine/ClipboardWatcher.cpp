#include "engine/ClipboardWatcher.h"

#include <algorithm>
#include <utility>

namespace pastiq {

// One wait for a copy. It ends once: with the copy, or with nothing at the deadline.
struct ClipboardWatcher::Wait {
    std::int64_t start = 0;
    Delay deadline{0};
    CopyCompletion completion;
    bool isOver = false;
    // While a read is out: the give-up at the deadline, which the read's answer cancels.
    StepGuard giveUpAtDeadline;

    void end(std::optional<ClipboardText>&& copy) {
        if (!isOver) {
            isOver = true;
            completion(std::move(copy));
        }
    }
    // Not end(std::nullopt): GCC 12 takes that empty optional for an uninitialized one under
    // -Werror=maybe-uninitialized.
    void giveUp() {
        if (!isOver) {
            isOver = true;
            completion(std::nullopt);
        }
    }
};

ClipboardWatcher::ClipboardWatcher(std::shared_ptr<ClipboardWriter> clipboard, Scheduler& scheduler)
    : clipboard_(std::move(clipboard)), scheduler_(scheduler) {}

void ClipboardWatcher::waitForCopy(std::int64_t start, CopyCompletion completion) {
    auto wait = std::make_shared<Wait>();
    wait->start = start;
    wait->deadline = scheduler_.now() + kTimeout;
    wait->completion = std::move(completion);
    check(wait);
}

void ClipboardWatcher::check(const std::shared_ptr<Wait>& wait) {
    if (clipboard_->hasForeignChangeSince(wait->start)) {
        readCopy(wait);
    } else {
        checkAgainOrGiveUp(wait);
    }
}

void ClipboardWatcher::readCopy(const std::shared_ptr<Wait>& wait) {
    // A read started at the deadline still gets its turn: an answer already on its way comes
    // before timed work due at the same moment.
    const Delay untilDeadline = std::max(wait->deadline - scheduler_.now(), Delay{0});
    wait->giveUpAtDeadline = StepGuard{};
    scheduler_.runAfter(untilDeadline, wait->giveUpAtDeadline,
                        guard_.bind([wait] { wait->giveUp(); }));
    clipboard_->readForeignCopy(guard_.bind([this, wait](std::optional<ClipboardText> copy) {
        if (wait->isOver) {
            return;
        }
        wait->giveUpAtDeadline.cancel();
        if (copy) {
            wait->end(std::move(copy));
        } else {
            checkAgainOrGiveUp(wait);
        }
    }));
}

void ClipboardWatcher::checkAgainOrGiveUp(const std::shared_ptr<Wait>& wait) {
    if (scheduler_.now() >= wait->deadline) {
        wait->giveUp();
        return;
    }
    scheduler_.runAfter(kPollInterval, guard_, [this, wait] { check(wait); });
}

}  // namespace pastiq
