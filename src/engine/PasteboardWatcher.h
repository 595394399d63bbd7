#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "engine/PasteboardWriter.h"
#include "engine/ports/Scheduler.h"

namespace pastiq {

// Waits, without blocking the main loop, for another application to put text on the clipboard:
// a check at once, then a poll every 20 ms until 1 s has passed on the scheduler's clock, so
// reads that block (an owner that is slow to answer) shorten the wait instead of stretching
// it. Polls hold the watcher weakly, so they stop when its owner goes away.
class PasteboardWatcher : public std::enable_shared_from_this<PasteboardWatcher> {
  public:
    // The copy as read by the check that found it (see PasteboardWriter::foreignCopySince),
    // or nothing when none came in time.
    using CopyCompletion = std::function<void(std::optional<ClipboardText> copy)>;

    static constexpr Delay kPollInterval{20};
    static constexpr Delay kTimeout{1000};

    PasteboardWatcher(std::shared_ptr<PasteboardWriter> pasteboard, Scheduler& scheduler);

    void waitForCopy(std::int64_t start, CopyCompletion completion);

  private:
    void schedulePoll(std::int64_t start, Delay deadline, CopyCompletion completion);

    std::shared_ptr<PasteboardWriter> pasteboard_;
    Scheduler& scheduler_;
};

}  // namespace pastiq
