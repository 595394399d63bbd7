#include "app/system/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

namespace pastiq {

namespace {

std::atomic<int> writeSocket{-1};

void handleSignal(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    // Async-signal-safe; a full socket only loses a duplicate request to quit.
    [[maybe_unused]] const auto written = ::write(writeSocket.load(), &byte, 1);
    errno = saved;
}

void setSignalHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, sockets_) != 0) {
        return;
    }
    writeSocket.store(sockets_[0]);
    notifier_ = std::make_unique<QSocketNotifier>(sockets_[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this,
            &TerminationSignals::readPendingSignal);
    setSignalHandler(SIGTERM, handleSignal);
    setSignalHandler(SIGINT, handleSignal);
}

TerminationSignals::~TerminationSignals() {
    if (notifier_) {
        setSignalHandler(SIGTERM, SIG_DFL);
        setSignalHandler(SIGINT, SIG_DFL);
        writeSocket.store(-1);
        notifier_.reset();
        ::close(sockets_[0]);
        ::close(sockets_[1]);
    }
}

void TerminationSignals::readPendingSignal() {
    unsigned char byte = 0;
    while (::read(sockets_[1], &byte, 1) == 1) {
        onSignal_();
    }
}

}  // namespace pastiq
