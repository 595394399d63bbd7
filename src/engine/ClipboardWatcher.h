#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "engine/ClipboardWriter.h"
#include "engine/ports/Scheduler.h"

namespace pastiq {

// Waits, without blocking the main loop, for another application to put text on the clipboard:
// a check at once, then a check 20 ms after the previous one ended, until 1 s has passed on the
// scheduler's clock. A check reads only when the change count moved, and its read never blocks;
// a read still unanswered at the deadline ends the wait with nothing, and its late answer is
// dropped. Checks and answers stop with the watcher.
class ClipboardWatcher {
  public:
    // The copy as read by the check that found it (see ClipboardWriter::readForeignCopy), or
    // nothing when none came in time. Always called later, never inside waitForCopy.
    using CopyCompletion = ClipboardWriter::CopyCompletion;

    static constexpr Delay kPollInterval{20};
    static constexpr Delay kTimeout{1000};

    ClipboardWatcher(std::shared_ptr<ClipboardWriter> clipboard, Scheduler& scheduler);

    void waitForCopy(std::int64_t start, CopyCompletion completion);

  private:
    struct Wait;

    void check(const std::shared_ptr<Wait>& wait);
    void readCopy(const std::shared_ptr<Wait>& wait);
    void checkAgainOrGiveUp(const std::shared_ptr<Wait>& wait);

    std::shared_ptr<ClipboardWriter> clipboard_;
    Scheduler& scheduler_;
    StepGuard guard_;
};

}  // namespace pastiq
