#pragma once

#include <memory>
#include <utility>

namespace pastiq {

// Pastiq's one way to keep a later step from running once what it belongs to is gone: a handle
// that cancels when destroyed. A step bound to a guard does nothing when it is called after the
// guard was destroyed or cancelled. An object keeps a guard as a member and binds the callbacks
// it hands out, so they die with it; timed work names its owner's guard to the scheduler, which
// neither runs nor counts it once that guard is gone. A step that may be called off on its own
// (a pending reset) gets a guard of its own. Binding may happen on any thread; a bound step runs
// on the thread that cancels, so it never starts while its owner is being destroyed.
class StepGuard {
  public:
    // Tells whether a guard's steps are cancelled, without keeping them alive.
    class Watch {
      public:
        [[nodiscard]] bool isCancelled() const { return alive_.expired(); }

      private:
        friend class StepGuard;
        explicit Watch(std::weak_ptr<const bool> alive) : alive_(std::move(alive)) {}
        std::weak_ptr<const bool> alive_;
    };

    StepGuard() = default;
    ~StepGuard() = default;
    StepGuard(const StepGuard&) = delete;
    StepGuard& operator=(const StepGuard&) = delete;
    // Assigning another guard cancels the steps of the one replaced.
    StepGuard(StepGuard&&) noexcept = default;
    StepGuard& operator=(StepGuard&&) noexcept = default;

    // Cancels every step bound to this guard, those bound later included.
    void cancel() { alive_.reset(); }
    [[nodiscard]] Watch watch() const { return Watch(watch_); }

    // `step`, to run only while this guard is not cancelled; it takes the arguments `step` takes.
    template <typename Step>
    [[nodiscard]] auto bind(Step step) const {
        return [alive = watch_, step = std::move(step)](auto&&... arguments) mutable {
            if (!alive.expired()) {
                step(std::forward<decltype(arguments)>(arguments)...);
            }
        };
    }

  private:
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
    // A copy taken once, so binding never reads alive_ while another thread resets it.
    std::weak_ptr<const bool> watch_ = alive_;
};

}  // namespace pastiq
