#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "engine/ports/Clipboard.h"
#include "platform/wayland/UniqueFd.h"

namespace pastiq::wayland {

// Takes in another application's clipboard text from the read end of a pipe, without blocking:
// as much as waits at each call, up to a size limit. A text over the limit is not read further
// and is answered with its size as far as it came.
class PipeReader {
  public:
    using Clock = std::chrono::steady_clock;

    PipeReader(UniqueFd fd, std::size_t limit, Clock::time_point deadline);

    [[nodiscard]] int fd() const { return fd_.get(); }
    [[nodiscard]] Clock::time_point deadline() const { return deadline_; }
    // Reads what waits. True once the writer closed its end, the text outgrew the limit or the
    // pipe failed; result() then tells what came.
    bool onReadable();
    // The text once the writer closed its end; its size so far when it outgrew the limit;
    // nothing when the pipe failed or the read is not over (a writer still writing at the
    // deadline gave no text in time). Once: the text is moved out.
    [[nodiscard]] ClipboardText takeResult();

  private:
    enum class State { reading, complete, tooLarge, failed };

    UniqueFd fd_;
    std::size_t limit_;
    Clock::time_point deadline_;
    std::string received_;
    std::size_t tooLargeBytes_ = 0;
    State state_ = State::reading;
};

}  // namespace pastiq::wayland
