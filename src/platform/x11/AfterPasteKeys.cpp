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
    isDraining_ = false;
    queue_.replayed(keyTime, key, AfterPasteQueue::Clock::now());
    runDue();
}

void AfterPasteKeys::wait(Waiting key) {
    const bool typesPaste = key.decided.kind == GateKeyKind::paste;
    const bool wasBusy = queue_.isBusy();
    isDraining_ = false;
    queue_.queued(key.press.time, typesPaste, key.decided.afterKey);
    waiting_.push_back(std::move(key));
    // Taken over only because a typed key is held behind it: nothing else is owed, its turn
    // is now.
    if (!wasBusy) {
        runDue();
    }
}

void AfterPasteKeys::writeLanded(xcb_timestamp_t keyTime) {
    queue_.writeLanded(keyTime);
    runDue();
}

void AfterPasteKeys::pasteDone(xcb_timestamp_t keyTime) {
    queue_.fetched(keyTime, AfterPasteQueue::Clock::now());
    runDue();
}

void AfterPasteKeys::stop(bool drain) {
    isDraining_ = drain && queue_.isBusy();
    if (isDraining_) {
        return;
    }
    queue_.clear();
    waiting_.clear();
    if (deadlineTimer_) {
        timers_.cancel(*deadlineTimer_);
        deadlineTimer_.reset();
    }
    noteBusy();
    typer_.release();
    isPrepared_ = false;
}

void AfterPasteKeys::runDue() {
    const auto now = AfterPasteQueue::Clock::now();
    const bool types = queue_.typesNext();
    const HeldModifiers held = types ? typer_.holdServer() : HeldModifiers{};
    for (const auto& step : queue_.due(now, held.holdsAny())) {
        switch (step.kind) {
            case AfterPasteQueue::Step::Kind::carryOut: {
                Waiting key = std::move(waiting_.front());
                waiting_.pop_front();
                if (handlers_.carryOut) {
                    handlers_.carryOut(std::move(key));
                }
                break;
            }
            case AfterPasteQueue::Step::Kind::typePaste:
                if (typer_.typePaste(held, layout_ ? layout_->keys.leftControl : 0) &&
                    handlers_.pasteTyped) {
                    handlers_.pasteTyped(step.keyTime);
                }
                break;
            case AfterPasteQueue::Step::Kind::typeKey:
                typer_.typeKey(held, step.key);
                break;
            case AfterPasteQueue::Step::Kind::keyDropped:
                if (handlers_.keyDropped) {
                    handlers_.keyDropped();
                }
                break;
        }
    }
    if (types) {
        typer_.releaseServer();
    }
    if (const auto sequence = typer_.lastStrokeSequence()) {
        queue_.typed(*sequence);
    }
    if (deadlineTimer_) {
        timers_.cancel(*deadlineTimer_);
        deadlineTimer_.reset();
    }
    if (const auto deadline = queue_.nextDeadline(now)) {
        deadlineTimer_ =
            timers_.schedule(std::max(*deadline - now, TimerQueue::Clock::duration{}), [this] {
                deadlineTimer_.reset();
                runDue();
            });
    }
    noteBusy();
    if (isDraining_ && !queue_.isBusy()) {
        stop(false);
    }
}

void AfterPasteKeys::noteBusy() {
    const bool isBusy = queue_.isBusy();
    if (isBusy != wasBusy_ && handlers_.busyChanged) {
        handlers_.busyChanged(isBusy);
    }
    wasBusy_ = isBusy;
}

}  // namespace pastiq::x11
