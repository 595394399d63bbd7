#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "engine/ClipboardWatcher.h"
#include "engine/ClipboardWriter.h"
#include "engine/ModifierReleaseWaiter.h"
#include "engine/ports/EventPoster.h"
#include "engine/ports/Log.h"
#include "engine/ports/SelectionProbe.h"

namespace pastiq {

// The hot-key start's copy of the current selection: wait for the hot key's keys to be
// released, skip the copy when the focused input reports an empty selection, send Ctrl+C and
// wait for the clipboard, and retry once when the first copy raced the still-held hot key.
// Steps still waiting when the capture goes away do nothing.
class SelectionCapture {
  public:
    // The fresh selection as the clipboard check that found it read it, or nothing.
    using Completion = std::function<void(std::optional<ClipboardText> copy)>;

    struct Dependencies {
        std::shared_ptr<ClipboardWriter> clipboard;
        std::shared_ptr<ClipboardWatcher> watcher;
        std::shared_ptr<ModifierReleaseWaiter> modifiers;
        EventPoster& eventPoster;
        SelectionProbe& selection;
        Log& log;
    };

    explicit SelectionCapture(Dependencies dependencies);

    // `completion` receives the fresh selection once it reached the clipboard.
    void capture(Completion completion);

  private:
    void copyIfSelected(bool retryOnRace, Completion completion);
    void copySelection(bool retryOnRace, Completion completion);
    void retryIfRaced(std::optional<ClipboardText> copy, bool retryOnRace, Completion completion);
    void postCopyAndWait(Completion afterWait);

    Dependencies deps_;
    StepGuard guard_;
};

}  // namespace pastiq
