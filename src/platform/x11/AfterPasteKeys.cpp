#include "platform/x11/AfterPasteKeys.h"

#include "platform/x11/KeyboardLayout.h"
#include "platform/x11/XConnection.h"

namespace pastiq::x11 {

AfterPasteKeys::AfterPasteKeys(XConnection& connection, TimerQueue& timers,
                               const std::optional<KeyboardLayout>& layout)
    : timers_(timers), layout_(layout), typer_(connection) {}

void AfterPasteKeys::pasteReplayed(xcb_timestamp_t keyTime, AfterPasteKey key) {
    if (key == AfterPasteKey::none) {
        return;
    }
    // The spare key is mapped with the first paste a key follows: by the time a Ctrl+V must be
    // taken over, applications have read the new keymap. Without one the order cannot be kept
    // in a burst, so no key is sent at all.
    if (!isPrepared_ && !typer_.prepare()) {
        return;
    }
    isPrepared_ = true;
    queue_.replayed(keyTime, key, AfterPasteQueue::Clock::now());
    typeDue();
}

void AfterPasteKeys::pasteTakenOver(xcb_timestamp_t keyTime, AfterPasteKey key) {
    queue_.takenOver(keyTime, key);
}

void AfterPasteKeys::writeLanded(xcb_timestamp_t keyTime) {
    queue_.writeLanded(keyTime);
    typeDue();
}

void AfterPasteKeys::fetched(xcb_timestamp_t keyTime) {
    queue_.fetched(keyTime);
    typeDue();
}

void AfterPasteKeys::stop() {
    queue_.clear();
    if (deadlineTimer_) {
        timers_.cancel(*deadlineTimer_);
        deadlineTimer_.reset();
    }
    typer_.release();
    isPrepared_ = false;
}

void AfterPasteKeys::typeDue() {
    const auto now = AfterPasteQueue::Clock::now();
    for (const auto& step : queue_.due(now)) {
        if (step.kind == AfterPasteQueue::Step::Kind::typeKey) {
            typer_.typeKey(step.key);
        } else if (typer_.typePaste(layout_ ? layout_->keys.leftControl : 0) && pasteTyped_) {
            pasteTyped_(step.keyTime);
        }
    }
    if (deadlineTimer_) {
        timers_.cancel(*deadlineTimer_);
        deadlineTimer_.reset();
    }
    if (const auto deadline = queue_.nextDeadline()) {
        deadlineTimer_ =
            timers_.schedule(std::max(*deadline - now, TimerQueue::Clock::duration{}), [this] {
                deadlineTimer_.reset();
                typeDue();
            });
    }
}

}  // namespace pastiq::x11
