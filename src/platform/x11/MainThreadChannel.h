#pragma once

#include <functional>

#include "model/StepGuard.h"

namespace pastiq {

// Queues work on the main thread; callable from any thread.
using MainThreadPost = std::function<void(std::function<void()>)>;

namespace x11 {

// The X11 thread's way to the main thread. Work queued before close() but run after it is
// skipped, so nothing posted by the X11 thread outlives the objects it refers to.
class MainThreadChannel {
  public:
    explicit MainThreadChannel(MainThreadPost post);
    MainThreadChannel(const MainThreadChannel&) = delete;
    MainThreadChannel& operator=(const MainThreadChannel&) = delete;

    // Any thread.
    void post(std::function<void()> work) const;
    // Main thread only.
    void close() { guard_.cancel(); }

  private:
    MainThreadPost post_;
    StepGuard guard_;
};

}  // namespace x11
}  // namespace pastiq
