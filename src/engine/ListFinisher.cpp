#include "engine/ListFinisher.h"

#include <string>
#include <utility>

namespace pastiq {

ListFinisher::ListFinisher(ClipboardWriter& clipboard, Scheduler& scheduler, Log& log,
                           IsCurrent isCurrent)
    : clipboard_(clipboard), scheduler_(scheduler), log_(log), isCurrent_(std::move(isCurrent)) {}

template <typename Step>
auto ListFinisher::whileCurrent(const std::shared_ptr<PasteSession>& session, Step step) {
    return guard_.bind([this, weakSession = std::weak_ptr(session), step = std::move(step)] {
        const auto current = weakSession.lock();
        if (current && isCurrent_(current)) {
            step(current);
        }
    });
}

void ListFinisher::finish(const std::shared_ptr<PasteSession>& session,
                          ListFinishBehavior behavior) {
    log_.info(LogCategory::session,
              "List finished — applying " + std::string(storedValue(behavior)));
    if (behavior == ListFinishBehavior::returnToFirstItem) {
        session->setCursorIndex(0);
    } else if (behavior == ListFinishBehavior::clearClipboard) {
        session->setFinished(true);
    }
    pendingStep_ = StepGuard{};
    scheduler_.runAfter(kClipboardStepDelay, pendingStep_,
                        whileCurrent(session, [this, behavior](const auto& finished) {
                            applyToClipboard(finished, behavior);
                        }));
}

void ListFinisher::applyToClipboard(const std::shared_ptr<PasteSession>& session,
                                    ListFinishBehavior behavior) {
    pendingStep_.cancel();
    // Something the user copied in the last 0.4 s stays on the clipboard; a copy during the
    // session reloads the queue from it.
    if (behavior != ListFinishBehavior::clearClipboard) {
        clipboard_.ifHoldsOwnContent(whileCurrent(
            session, [this](const auto& finished) { clipboard_.writeCurrentItem(*finished); }));
        return;
    }
    // A list reloaded (or a step taken) since the finish made the session run again; clearing
    // now would throw away the new queue.
    if (!session->isFinished()) {
        return;
    }
    clipboard_.clearIfOwnContent();
    session->clear();
    log_.info(LogCategory::session, "List finished — clipboard and list cleared");
}

}  // namespace pastiq
