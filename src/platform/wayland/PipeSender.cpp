#include "platform/wayland/PipeSender.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <utility>

namespace pastiq::wayland {

PipeSender::PipeSender(UniqueFd fd, std::shared_ptr<const std::string> text,
                       Clock::duration stallBound, Clock::time_point now)
    : fd_(std::move(fd)),
      text_(std::move(text)),
      stallBound_(stallBound),
      deadline_(now + stallBound) {
    const int flags = fcntl(fd_.get(), F_GETFL);
    if (flags < 0 || fcntl(fd_.get(), F_SETFL, flags | O_NONBLOCK) < 0 || !text_) {
        finish();
    }
}

bool PipeSender::onWritable(Clock::time_point now) {
    while (fd_.valid() && written_ < text_->size()) {
        const long wrote =
            writeWithoutSigpipe(fd_.get(), text_->data() + written_, text_->size() - written_);
        if (wrote > 0) {
            written_ += static_cast<std::size_t>(wrote);
            deadline_ = now + stallBound_;
        } else if (wrote < 0 && errno == EINTR) {
            continue;
        } else if (wrote < 0 && errno == EAGAIN) {
            return false;
        } else {
            finish();
        }
    }
    finish();
    return true;
}

long writeWithoutSigpipe(int fd, const char* data, std::size_t size) {
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    // A SIGPIPE already waiting belongs to someone else and must stay.
    const auto isWaiting = [] {
        sigset_t waiting;
        sigpending(&waiting);
        return sigismember(&waiting, SIGPIPE) == 1;
    };
    const bool wasWaiting = isWaiting();

    const long wrote = ::write(fd, data, size);
    const int error = errno;
    // Raised also when part of the data went through before the reader left.
    if (!wasWaiting && isWaiting()) {
        const timespec noWait{};
        while (sigtimedwait(&pipeSignal, nullptr, &noWait) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return wrote;
}

}  // namespace pastiq::wayland
