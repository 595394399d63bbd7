#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/PasteboardWriter.h"
#include "engine/ports/Scheduler.h"

namespace pastiq {

// Waits, without blocking the main loop, for another application to put text on the clipboard:
// a check at once, then a poll every 20 ms for up to 1 s. Polls hold the watcher weakly, so
// they stop when its owner goes away.
class PasteboardWatcher : public std::enable_shared_from_this<PasteboardWatcher> {
  public:
    using Completion = std::function<void(bool changed)>;

    static constexpr Delay kPollInterval{20};
    static constexpr Delay kTimeout{1000};

    PasteboardWatcher(std::shared_ptr<PasteboardWriter> pasteboard, Scheduler& scheduler);

    // `changed` is true once the change count differs from `start` and the clipboard holds
    // non-empty text that Pastiq did not write itself.
    void waitForChange(std::int64_t start, Completion completion);

  private:
    void schedulePoll(std::int64_t start, std::int64_t attemptsLeft, Completion completion);

    std::shared_ptr<PasteboardWriter> pasteboard_;
    Scheduler& scheduler_;
};

}  // namespace pastiq
