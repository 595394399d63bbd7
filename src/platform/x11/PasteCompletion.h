#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace pastiq::x11 {

// Tells when the application a Ctrl+V went to is done with it: it fetched the text written for
// the key and, where its window takes pings, answered the ping sent behind the key. The answer
// comes from the application's event loop once it has handled the Ctrl+V, after any request it
// made for it, so a clipboard manager that fetches every new entry at once is not taken for
// the application. Pastes are known by the server time of their Ctrl+V. X11 thread only.
class PasteCompletion {
  public:
    explicit PasteCompletion(std::function<void(std::uint32_t keyTime)> done)
        : done_(std::move(done)) {}

    void fetched(std::uint32_t keyTime);
    // The key was passed on to the application: pinged behind it, or not (its window takes no
    // pings, or another write came between).
    void passedOn(std::uint32_t keyTime, bool isPinged);
    void answered(std::uint32_t keyTime);

  private:
    struct Paste {
        std::uint32_t keyTime;
        bool isFetched = false;
        std::optional<bool> isPinged;
        bool isAnswered = false;
    };
    Paste& entry(std::uint32_t keyTime);
    void finishIfDone(std::uint32_t keyTime);

    std::function<void(std::uint32_t)> done_;
    // Pastes with news but not done yet, oldest first.
    std::deque<Paste> pastes_;
};

}  // namespace pastiq::x11
