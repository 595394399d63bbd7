#include "platform/x11/XEventLoop.h"

#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <cstdlib>

#include "platform/x11/XReply.h"

namespace pastiq::x11 {
namespace {

// Events handled before the loop looks at its timers and commands again. Without a cap a
// client flooding Pastiq with events would starve the timers, the verdict bound among them.
constexpr int kEventsPerTurn = 64;

}  // namespace

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
        const bool backlog = dispatchPendingEvents();
        if (xcb_connection_has_error(connection_) != 0) {
            break;
        }
        xcb_flush(connection_);
        if (stopping_) {
            isHeld_ = false;
            runCommands();
            xcb_flush(connection_);
            running_ = false;
            return;
        }
        if (!waitForWork(backlog)) {
            break;
        }
        runCommands();
        timers_.runDue(TimerQueue::Clock::now());
    }
    running_ = false;
    isHeld_ = false;  // no timer runs any more to end a hold
    // libxcb marks a connection broken on its own side (a reply it could not allocate, a
    // request too long) but leaves the socket open, and the server keeps this client's grabs:
    // a key waiting for its verdict would freeze the whole keyboard until Pastiq exits.
    // Shutting the socket makes the server drop the client and its grabs at once.
    shutdown(xcb_get_file_descriptor(connection_), SHUT_RDWR);
    onConnectionLost_();
    // Later commands still run so their callers get their (empty) answers promptly.
    runCommands();
    while (!stopping_) {
        pollfd wake{commands_.fd(), POLLIN, 0};
        poll(&wake, 1, -1);
        runCommands();
    }
}

bool XEventLoop::dispatchPendingEvents() {
    for (int handled = 0; handled < kEventsPerTurn; ++handled) {
        const XReply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)};
        if (!event) {
            return false;
        }
        handler_(*event);
    }
    return true;
}

bool XEventLoop::holdCommands() {
    if (stopping_ || !running_) {
        return false;
    }
    holdAsked_ = true;
    return true;
}

void XEventLoop::runCommands() {
    for (auto& command : commands_.takeAll()) {
        waiting_.push_back(std::move(command));
    }
    while (!isHeld_ && !waiting_.empty()) {
        auto command = std::move(waiting_.front());
        waiting_.pop_front();
        command();
        if (holdAsked_) {
            holdAsked_ = false;
            isHeld_ = true;
            waiting_.push_front(std::move(command));
        }
        // Replies waited for inside a command may have queued events behind them; one of
        // them may also end a hold just begun.
        dispatchPendingEvents();
    }
}

bool XEventLoop::waitForWork(bool backlog) {
    std::array<pollfd, 2> fds{pollfd{xcb_get_file_descriptor(connection_), POLLIN, 0},
                              pollfd{commands_.fd(), POLLIN, 0}};
    // Commands released from a hold run without waiting for anything new, and events that
    // libxcb has already read are not announced by the socket again.
    const bool commandsRunnable = !isHeld_ && !waiting_.empty();
    const int timeout =
        commandsRunnable || backlog ? 0 : timers_.millisecondsUntilNext(TimerQueue::Clock::now());
    const int ready = poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR) {
        return false;
    }
    return (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
}

}  // namespace pastiq::x11
