#pragma once

#include <poll.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/ports/Clipboard.h"
#include "platform/wayland/PipeReader.h"
#include "platform/wayland/PipeSender.h"
#include "platform/wayland/UniqueFd.h"

namespace pastiq::wayland {

// The clipboard's byte transfers on the clipboard thread: Pastiq's text going to every
// application that asks for it, several at once, and the one read of another application's
// text running now. All of them are driven by the thread's poll() and bounded in time, so no
// application that stalls holds the thread or the clipboard.
class ClipboardTransfers {
  public:
    using Clock = std::chrono::steady_clock;
    using ReadDone = std::function<void(ClipboardText)>;

    struct Bounds {
        // A read that has not ended by then gives no text.
        Clock::duration read = std::chrono::milliseconds(450);
        std::size_t readBytes = Clipboard::kReadLimit;
        // A reader that takes nothing for this long is given up.
        Clock::duration sendStall = std::chrono::seconds(5);
    };

    explicit ClipboardTransfers(Bounds bounds) : bounds_(bounds) {}

    void send(UniqueFd fd, std::shared_ptr<const std::string> text, Clock::time_point now);
    // Reads from `fd` until its writer closes it; `done` runs from handle() or expire(). A read
    // still running is answered with no text and replaced.
    void read(UniqueFd fd, ReadDone done, Clock::time_point now);
    [[nodiscard]] bool isReading() const { return read_.has_value(); }
    [[nodiscard]] bool isSending() const { return !senders_.empty(); }

    // Adds what poll() should wait for.
    void addPollFds(std::vector<pollfd>& fds) const;
    // Moves every transfer poll() found ready on; `fds` holds those addPollFds() added.
    void handle(std::span<const pollfd> fds, Clock::time_point now);
    // Ends every transfer past its bound.
    void expire(Clock::time_point now);
    [[nodiscard]] std::optional<Clock::time_point> nextDeadline() const;

  private:
    struct Read {
        PipeReader reader;
        ReadDone done;
    };

    void finishRead();

    Bounds bounds_;
    std::list<PipeSender> senders_;
    std::optional<Read> read_;
};

}  // namespace pastiq::wayland
