#include "app/ports/QtScheduler.h"

#include <QMetaObject>
#include <QTimer>
#include <utility>

namespace pastiq {

void QtScheduler::runAfter(Delay delay, const StepGuard& owner, std::function<void()> work) {
    QTimer::singleShot(delay, &context_,
                       [step = owner.bind(std::move(work))]() mutable { step(); });
}

void QtScheduler::runSoon(std::function<void()> work) {
    // A queued invocation, never a direct call, even when already on the main thread.
    QMetaObject::invokeMethod(&context_, std::move(work), Qt::QueuedConnection);
}

std::function<void(std::function<void()>)> QtScheduler::mainThreadPost() {
    QObject* context = &context_;
    return [context](std::function<void()> work) {
        QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
    };
}

Delay QtScheduler::now() const {
    return std::chrono::duration_cast<Delay>(std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace pastiq
