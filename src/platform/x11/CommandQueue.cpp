#include "platform/x11/CommandQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <system_error>

namespace pastiq::x11 {

CommandQueue::CommandQueue() : eventFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (eventFd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
}

CommandQueue::~CommandQueue() {
    close(eventFd_);
}

void CommandQueue::push(Command command) {
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(std::move(command));
    }
    const std::uint64_t one = 1;
    // A full counter still leaves the fd readable, so a failed write loses no wake-up.
    [[maybe_unused]] const auto written = write(eventFd_, &one, sizeof one);
}

std::deque<CommandQueue::Command> CommandQueue::takeAll() {
    std::uint64_t pending = 0;
    [[maybe_unused]] const auto read = ::read(eventFd_, &pending, sizeof pending);
    std::deque<Command> taken;
    std::lock_guard lock(mutex_);
    taken.swap(commands_);
    return taken;
}

}  // namespace pastiq::x11
