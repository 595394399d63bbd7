#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/PasteSession.h"

namespace pastiq {

// Records what a session announces, in order, as short strings: "will cursorIndex",
// "did items:updated@2", "signal". Lets tests state exact notification sequences.
class SessionEventRecorder {
  public:
    explicit SessionEventRecorder(PasteSession& session);

    [[nodiscard]] const std::vector<std::string>& events() const { return events_; }
    // The will-change announcements and signals only, which is what most tests compare.
    [[nodiscard]] std::vector<std::string> announcements() const;
    [[nodiscard]] int signalCount() const;
    // The first will-change that is not followed at once by its did-change, if any.
    [[nodiscard]] std::optional<std::string> unpairedChange() const;
    void reset() { events_.clear(); }

    static std::string describe(const SessionChange& change);

  private:
    std::vector<std::string> events_;
    Subscription willChange_;
    Subscription didChange_;
    Subscription signal_;
};

}  // namespace pastiq
