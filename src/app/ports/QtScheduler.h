#pragma once

#include <QObject>
#include <functional>

#include "engine/ports/Scheduler.h"

namespace pastiq {

// Queues work on the Qt main loop. Pending work is tied to a context object owned here, so
// nothing scheduled runs once the scheduler is gone.
class QtScheduler final : public Scheduler {
  public:
    QtScheduler() = default;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    void runAfter(Delay delay, const StepGuard& owner, std::function<void()> work) override;
    void runSoon(std::function<void()> work) override;
    [[nodiscard]] Delay now() const override;

    // A hand-off to the main thread that other threads may call. It must not be used after the
    // scheduler is destroyed.
    [[nodiscard]] std::function<void(std::function<void()>)> mainThreadPost();

  private:
    QObject context_;
};

}  // namespace pastiq
