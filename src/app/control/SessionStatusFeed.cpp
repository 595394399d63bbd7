#include "app/control/SessionStatusFeed.h"

#include "app/control/SessionStatusJson.h"
#include "engine/SessionController.h"

namespace pastiq {

SessionStatusFeed::SessionStatusFeed(std::shared_ptr<SessionController> controller,
                                     std::string backend,
                                     std::function<void(const std::string&)> announce,
                                     QObject* parent)
    : QObject(parent),
      controller_(std::move(controller)),
      backend_(std::move(backend)),
      announce_(std::move(announce)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kCoalesceMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &SessionStatusFeed::announceNow);
    sessionSubscription_ = controller_->sessionChanged().subscribe([this] {
        observeSession();
        schedule();
    });
    observeSession();
}

void SessionStatusFeed::flush() {
    if (timer_.isActive()) {
        timer_.stop();
        announceNow();
    }
}

// Replacing the subscription detaches it from the session that is gone.
void SessionStatusFeed::observeSession() {
    const auto& session = controller_->session();
    changeSubscription_ =
        session ? session->didChange().subscribe([this](const SessionChange&) { schedule(); })
                : Subscription();
}

// Not restarted by later changes: a steady stream of pastes still gets regular updates.
void SessionStatusFeed::schedule() {
    if (!timer_.isActive()) {
        timer_.start();
    }
}

void SessionStatusFeed::announceNow() {
    announce_(sessionStatusJson(controller_->session().get(), backend_));
}

}  // namespace pastiq
