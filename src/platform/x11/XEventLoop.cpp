#include "platform/x11/XEventLoop.h"

#include <poll.h>

#include <array>
#include <cerrno>
#include <cstdlib>

#include "platform/x11/XReply.h"

namespace pastiq::x11 {

XEventLoop::XEventLoop(xcb_connection_t* connection, EventHandler handler,
                       std::function<void()> onConnectionLost)
    : connection_(connection),
      handler_(std::move(handler)),
      onConnectionLost_(std::move(onConnectionLost)) {}

XEventLoop::~XEventLoop() {
    stop();
}

void XEventLoop::start() {
    running_ = true;
    thread_ = std::thread([this] { run(); });
}

void XEventLoop::stop() {
    if (!thread_.joinable()) {
        return;
    }
    stopping_ = true;
    post([] {});
    thread_.join();
}

void XEventLoop::run() {
    while (true) {
        dispatchPendingEvents();
        if (xcb_connection_has_error(connection_) != 0) {
            break;
        }
        xcb_flush(connection_);
        if (stopping_) {
            runCommands();
            xcb_flush(connection_);
            running_ = false;
            return;
        }
        if (!waitForWork()) {
            break;
        }
        runCommands();
        timers_.runDue(TimerQueue::Clock::now());
    }
    running_ = false;
    onConnectionLost_();
    // Later commands still run so their callers get their (empty) answers promptly.
    while (!stopping_) {
        pollfd wake{commands_.fd(), POLLIN, 0};
        poll(&wake, 1, -1);
        runCommands();
    }
}

void XEventLoop::dispatchPendingEvents() {
    while (XReply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
        handler_(*event);
    }
}

void XEventLoop::runCommands() {
    for (auto& command : commands_.takeAll()) {
        command();
        // Replies waited for inside a command may have queued events behind them.
        dispatchPendingEvents();
    }
}

bool XEventLoop::waitForWork() {
    std::array<pollfd, 2> fds{pollfd{xcb_get_file_descriptor(connection_), POLLIN, 0},
                              pollfd{commands_.fd(), POLLIN, 0}};
    const int timeout = timers_.millisecondsUntilNext(TimerQueue::Clock::now());
    const int ready = poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR) {
        return false;
    }
    return (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
}

}  // namespace pastiq::x11
