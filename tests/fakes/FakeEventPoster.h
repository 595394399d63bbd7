#pragma once

#include <functional>

#include "engine/ports/EventPoster.h"

namespace pastiq::testing {

// Records copy keystrokes. onCopyKeystroke stands in for the focused application answering
// the keystroke (for example by putting the selection on the FakeClipboard, at once or through
// the ManualScheduler later).
class FakeEventPoster : public EventPoster {
  public:
    bool postCopyKeystroke() override {
        ++postCount_;
        if (cannotPost) {
            return false;
        }
        if (onCopyKeystroke) {
            onCopyKeystroke();
        }
        return true;
    }

    bool cannotPost = false;
    std::function<void()> onCopyKeystroke;

    [[nodiscard]] int postCount() const { return postCount_; }

  private:
    int postCount_ = 0;
};

}  // namespace pastiq::testing
