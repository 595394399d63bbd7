#include "engine/SelectionCapture.h"

#include <utility>

namespace pastiq {

SelectionCapture::SelectionCapture(Dependencies dependencies) : deps_(std::move(dependencies)) {}

void SelectionCapture::capture(Completion completion) {
    if (!deps_.modifiers->isHeld()) {
        copyIfSelected(false, std::move(completion));
        return;
    }
    // The user is still holding the hot key; a Ctrl+C sent now would arrive as Ctrl+Alt+C, or
    // its C would be the hot key's C still down. Whether the hot key was still held when the
    // wait gave up decides the race retry.
    deps_.modifiers->waitForRelease(
        ModifierReleaseWaiter::kFirstWaitAttempts,
        guard_.bind([this, completion = std::move(completion)](bool stillHeld) mutable {
            copyIfSelected(stillHeld, std::move(completion));
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
    postCopyAndWait(guard_.bind([this, retryOnRace, completion = std::move(completion)](
                                    std::optional<ClipboardText> copy) mutable {
        retryIfRaced(std::move(copy), retryOnRace, std::move(completion));
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
        postCopyAndWait(std::move(completion));
        return;
    }
    deps_.modifiers->waitForRelease(
        ModifierReleaseWaiter::kRetryWaitAttempts,
        guard_.bind([this, completion = std::move(completion)](bool /*stillHeld*/) mutable {
            postCopyAndWait(std::move(completion));
        }));
}

void SelectionCapture::postCopyAndWait(Completion afterWait) {
    const auto start = deps_.clipboard->changeCount();
    if (!deps_.eventPoster.postCopyKeystroke()) {
        deps_.log.error(LogCategory::session, "Could not synthesize a copy");
        afterWait(std::nullopt);
        return;
    }
    deps_.watcher->waitForCopy(start, guard_.bind([this, afterWait = std::move(afterWait)](
                                                      std::optional<ClipboardText> copy) mutable {
        if (!copy) {
            deps_.log.info(LogCategory::session,
                           "Copy produced nothing — falling back to existing clipboard");
        }
        afterWait(std::move(copy));
    }));
}

}  // namespace pastiq
