#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/wayland/KeyLoop.h"

namespace pastiq::wayland {

// Applications ask for the clipboard only after they have seen Ctrl+V, so an item written for
// the next key before then would replace the one the previous paste was meant to insert. A
// session key therefore waits to be judged (and to write) while the text written for the last
// paste has not been fetched, for a bound, and a moment more once it has: GTK 3 asks again for
// other types of the same paste just after its first request and inserts whatever the last
// answer held (twelve pastes 5 ms apart on sway: items lost with 2 ms, none with 8 ms).
// Everything typed behind the key waits too. A place that does not paste at all (no text
// field) costs the bound once: pacing stays off until some text is fetched again. Key thread
// only.
class PastePacing {
  public:
    // After the fetch, for the application's further requests of the same paste.
    static constexpr std::chrono::milliseconds kSettle{25};

    // `holdBound` counts from the moment the key is up for judgement.
    PastePacing(KeyLoop& loop, std::chrono::milliseconds holdBound)
        : loop_(loop), holdBound_(holdBound) {}
    PastePacing(const PastePacing&) = delete;
    PastePacing& operator=(const PastePacing&) = delete;
    ~PastePacing();

    // True when the key must wait: `then` runs once, when the last paste's text was
    // fetched or the bound passed.
    [[nodiscard]] bool holds(std::function<void()> then);
    // A paste key went on; its write left change count `count`.
    void pasteSent(std::int64_t count);
    // An application fetched the text of the write that left `count`.
    void fetched(std::int64_t count);
    // Forgets a waiting key without resuming it (the grab ends).
    void drop();

  private:
    void holdUntil(KeyLoop::Clock::time_point until, std::function<void()> then);
    void resume();

    KeyLoop& loop_;
    std::chrono::milliseconds holdBound_;
    std::optional<std::int64_t> awaited_;
    std::int64_t lastFetched_ = 0;
    KeyLoop::Clock::time_point settled_;
    bool isArmed_ = true;
    std::optional<KeyLoop::TimerId> timer_;
    std::function<void()> resume_;
};

}  // namespace pastiq::wayland
