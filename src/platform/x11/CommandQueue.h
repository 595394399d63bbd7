#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace pastiq::x11 {

// Work handed from any thread to the X11 thread. Pushing wakes the X11 thread's poll through an
// eventfd, so the X11 thread never has to wait on a lock held for long.
class CommandQueue {
  public:
    using Command = std::function<void()>;

    CommandQueue();
    ~CommandQueue();
    CommandQueue(const CommandQueue&) = delete;
    CommandQueue& operator=(const CommandQueue&) = delete;

    // Readable while commands are waiting.
    [[nodiscard]] int fd() const { return eventFd_; }
    void push(Command command);
    // Everything pushed so far, in the order it was pushed.
    [[nodiscard]] std::deque<Command> takeAll();

  private:
    int eventFd_ = -1;
    std::mutex mutex_;
    std::deque<Command> commands_;
};

}  // namespace pastiq::x11
