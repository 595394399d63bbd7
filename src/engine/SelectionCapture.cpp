#include "engine/SelectionCapture.h"

#include <utility>

namespace pastiq {

SelectionCapture::SelectionCapture(Dependencies dependencies) : deps_(std::move(dependencies)) {}

template <typename Step>
auto SelectionCapture::weakly(Step step) {
    return [weakSelf = weak_from_this(), step = std::move(step)](auto result) mutable {
        if (auto self = weakSelf.lock()) {
            step(*self, std::move(result));
        }
    };
}

void SelectionCapture::capture(Completion completion) {
    if (!deps_.modifiers->isHeld()) {
        copyIfSelected(false, std::move(completion));
        return;
    }
    // The user is still holding the hot key; a Ctrl+C sent now would arrive as Ctrl+Alt+C, or
    // its C would be the hot key's C still down. Whether the hot key was still held when the
    // wait gave up decides the race retry.
    deps_.modifiers->waitForRelease(ModifierReleaseWaiter::kFirstWaitAttempts,
                                    weakly([completion = std::move(completion)](
                                               SelectionCapture& self, bool stillHeld) mutable {
                                        self.copyIfSelected(stillHeld, std::move(completion));
                                    }));
}

void SelectionCapture::copyIfSelected(bool retryOnRace, Completion completion) {
    if (deps_.selection.selectionIsEmpty()) {
        deps_.log.info(LogCategory::session, "Nothing selected — copy skipped");
        completion(std::nullopt);
        return;
    }
    copySelection(retryOnRace, std::move(completion));
}

void SelectionCapture::copySelection(bool retryOnRace, Completion completion) {
    postCopyAndWait(weakly([retryOnRace, completion = std::move(completion)](
                               SelectionCapture& self, std::optional<ClipboardText> copy) mutable {
        self.retryIfRaced(std::move(copy), retryOnRace, std::move(completion));
    }));
}

void SelectionCapture::retryIfRaced(std::optional<ClipboardText> copy, bool retryOnRace,
                                    Completion completion) {
    if (copy || !retryOnRace) {
        completion(std::move(copy));
        return;
    }
    deps_.log.info(LogCategory::session, "Copy raced the held hotkey — retrying");
    if (!deps_.modifiers->isHeld()) {
        synthesizeCopy(std::move(completion));
        return;
    }
    deps_.modifiers->waitForRelease(
        ModifierReleaseWaiter::kRetryWaitAttempts,
        weakly([completion = std::move(completion)](SelectionCapture& self, bool) mutable {
            self.synthesizeCopy(std::move(completion));
        }));
}

void SelectionCapture::synthesizeCopy(Completion completion) {
    postCopyAndWait(std::move(completion));
}

void SelectionCapture::postCopyAndWait(Completion afterWait) {
    const auto start = deps_.pasteboard->changeCount();
    if (!deps_.eventPoster.postCopyKeystroke()) {
        deps_.log.error(LogCategory::session, "Could not synthesize a copy");
        afterWait(std::nullopt);
        return;
    }
    deps_.watcher->waitForCopy(
        start, weakly([afterWait = std::move(afterWait)](
                          SelectionCapture& self, std::optional<ClipboardText> copy) mutable {
            if (!copy) {
                self.deps_.log.info(LogCategory::session,
                                    "Copy produced nothing — falling back to existing clipboard");
            }
            afterWait(std::move(copy));
        }));
}

}  // namespace pastiq
