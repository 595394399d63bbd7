#pragma once

#include <functional>
#include <memory>

#include "engine/ClipboardWriter.h"
#include "engine/ListFinishBehavior.h"
#include "engine/ports/Log.h"
#include "engine/ports/Scheduler.h"
#include "model/PasteSession.h"
#include "model/StepGuard.h"

namespace pastiq {

// Applies the finish behaviour once the last item was pasted: to the queue at once, and to the
// clipboard only after a pause, since the application that received the key is still reading
// the clipboard. A newer finish supersedes a step still pending from an earlier one, and a step
// whose session is no longer the running one does nothing. Main thread only.
class ListFinisher {
  public:
    static constexpr Delay kClipboardStepDelay{400};
    // Whether the session is still the running one.
    using IsCurrent = std::function<bool(const std::shared_ptr<PasteSession>& session)>;

    ListFinisher(ClipboardWriter& clipboard, Scheduler& scheduler, Log& log, IsCurrent isCurrent);

    void finish(const std::shared_ptr<PasteSession>& session, ListFinishBehavior behavior);

  private:
    void applyToClipboard(const std::shared_ptr<PasteSession>& session,
                          ListFinishBehavior behavior);
    // `step`, to run later with `session` while it is still the running one.
    template <typename Step>
    auto whileCurrent(const std::shared_ptr<PasteSession>& session, Step step);

    ClipboardWriter& clipboard_;
    Scheduler& scheduler_;
    Log& log_;
    IsCurrent isCurrent_;
    StepGuard pendingStep_;
    StepGuard guard_;
};

}  // namespace pastiq
