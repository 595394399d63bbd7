#include "platform/wayland/PipeReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

namespace pastiq::wayland {

namespace {
constexpr std::size_t kChunkBytes = std::size_t{64} << 10;
}  // namespace

PipeReader::PipeReader(UniqueFd fd, std::size_t limit, Clock::time_point deadline)
    : fd_(std::move(fd)), limit_(limit), deadline_(deadline) {
    const int flags = fcntl(fd_.get(), F_GETFL);
    if (flags < 0 || fcntl(fd_.get(), F_SETFL, flags | O_NONBLOCK) < 0) {
        state_ = State::failed;
        fd_.reset();
    }
}

bool PipeReader::onReadable() {
    std::array<char, kChunkBytes> chunk{};
    while (state_ == State::reading) {
        // One byte past the limit is enough to know the text is over it.
        const std::size_t room = std::min(chunk.size(), limit_ + 1 - received_.size());
        const ssize_t got = ::read(fd_.get(), chunk.data(), room);
        if (got > 0) {
            received_.append(chunk.data(), static_cast<std::size_t>(got));
            if (received_.size() > limit_) {
                tooLargeBytes_ = received_.size();
                received_ = std::string();
                state_ = State::tooLarge;
            }
        } else if (got == 0) {
            state_ = State::complete;
        } else if (errno == EAGAIN) {
            return false;
        } else if (errno != EINTR) {
            state_ = State::failed;
        }
    }
    fd_.reset();
    return true;
}

ClipboardText PipeReader::takeResult() {
    switch (state_) {
        case State::complete:
            return ClipboardText::withText(std::move(received_));
        case State::tooLarge:
            return ClipboardText::tooLargeOf(tooLargeBytes_);
        case State::reading:
        case State::failed:
            break;
    }
    return {};
}

}  // namespace pastiq::wayland
