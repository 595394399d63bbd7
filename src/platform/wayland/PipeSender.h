#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/wayland/UniqueFd.h"

namespace pastiq::wayland {

// Hands one clipboard text to the application that asked for it, through the fd the compositor
// passed on. The fd is made non-blocking and written only as far as it takes at once, so a
// reader that stalls never holds the clipboard thread; a reader that closes early ends the
// transfer without killing Pastiq by SIGPIPE.
class PipeSender {
  public:
    using Clock = std::chrono::steady_clock;

    // A reader that takes nothing for `stallBound` is given up.
    PipeSender(UniqueFd fd, std::shared_ptr<const std::string> text, Clock::duration stallBound,
               Clock::time_point now);

    [[nodiscard]] int fd() const { return fd_.get(); }
    [[nodiscard]] Clock::time_point deadline() const { return deadline_; }
    // Writes what the fd takes now. True once the transfer is over: the whole text written, or
    // the reader gone or failing; the fd is then closed.
    bool onWritable(Clock::time_point now);

  private:
    void finish() { fd_.reset(); }

    UniqueFd fd_;
    std::shared_ptr<const std::string> text_;
    std::size_t written_ = 0;
    Clock::duration stallBound_;
    Clock::time_point deadline_;
};

// write(2) that reports a reader gone as EPIPE and never raises SIGPIPE, whatever the process
// does with that signal: blocked on this thread for the call, and a SIGPIPE the call raised is
// taken back before the mask is restored.
[[nodiscard]] long writeWithoutSigpipe(int fd, const char* data, std::size_t size);

}  // namespace pastiq::wayland
