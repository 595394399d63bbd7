#pragma once

namespace pastiq {

// Sends the copy keystroke (Ctrl+C) to the focused application without Pastiq's own key
// interception seeing it.
class EventPoster {
  public:
    virtual ~EventPoster() = default;
    // False when the keystroke could not be made.
    virtual bool postCopyKeystroke() = 0;
};

}  // namespace pastiq
