#include "platform/wayland/KeyLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace pastiq::wayland {

KeyLoop::Inbox::Inbox() : wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

KeyLoop::Inbox::~Inbox() {
    if (wakeFd >= 0) {
        ::close(wakeFd);
    }
}

void KeyLoop::Inbox::post(std::function<void()> work) {
    {
        const std::lock_guard lock(mutex);
        if (stopping) {
            return;
        }
        posted.push_back(std::move(work));
    }
    wake();
}

void KeyLoop::Inbox::wake() const {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wakeFd, &one, sizeof one);
}

KeyLoop::KeyLoop() = default;

KeyLoop::~KeyLoop() {
    stop();
}

bool KeyLoop::start() {
    if (thread_.joinable()) {
        return true;
    }
    if (inbox_->wakeFd < 0) {
        return false;
    }
    {
        const std::lock_guard lock(inbox_->mutex);
        inbox_->stopping = false;
    }
    thread_ = std::thread([this] {
        threadId_ = std::this_thread::get_id();
        run();
    });
    return true;
}

void KeyLoop::stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(inbox_->mutex);
        inbox_->stopping = true;
        inbox_->posted.clear();
    }
    inbox_->wake();
    thread_.join();
    threadId_ = std::thread::id{};
}

void KeyLoop::post(std::function<void()> work) const {
    inbox_->post(std::move(work));
}

std::function<void(std::function<void()>)> KeyLoop::poster() const {
    return [inbox = inbox_](std::function<void()> work) { inbox->post(std::move(work)); };
}

KeyLoop::TimerId KeyLoop::schedule(Clock::duration delay, std::function<void()> work) {
    const TimerId id = nextTimer_++;
    timers_.emplace(id, std::make_pair(Clock::now() + delay, std::move(work)));
    return id;
}

void KeyLoop::cancel(TimerId id) {
    timers_.erase(id);
}

void KeyLoop::watch(int fd, std::function<void()> onReadable) {
    watches_[fd] = std::move(onReadable);
}

void KeyLoop::unwatch(int fd) {
    watches_.erase(fd);
}

void KeyLoop::run() {
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back(pollfd{inbox_->wakeFd, POLLIN, 0});
        for (const auto& [fd, onReadable] : watches_) {
            fds.push_back(pollfd{fd, POLLIN, 0});
        }
        const int ready = ::poll(fds.data(), fds.size(), pollTimeout());
        if (ready < 0 && errno != EINTR) {
            return;
        }
        if ((fds.front().revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto read = ::read(inbox_->wakeFd, &count, sizeof count);
        }
        {
            const std::lock_guard lock(inbox_->mutex);
            if (inbox_->stopping) {
                return;
            }
        }
        runPosted();
        for (std::size_t i = 1; i < fds.size() && ready > 0; ++i) {
            // A watch removed by an earlier callback in this round is skipped.
            const auto watch = watches_.find(fds[i].fd);
            if (fds[i].revents != 0 && watch != watches_.end()) {
                const auto onReadable = watch->second;
                onReadable();
            }
        }
        runDueTimers();
    }
}

void KeyLoop::runPosted() {
    std::vector<std::function<void()>> work;
    {
        const std::lock_guard lock(inbox_->mutex);
        work.swap(inbox_->posted);
    }
    for (auto& step : work) {
        step();
    }
}

void KeyLoop::runDueTimers() {
    const auto now = Clock::now();
    std::vector<std::function<void()>> due;
    for (auto timer = timers_.begin(); timer != timers_.end();) {
        if (timer->second.first <= now) {
            due.push_back(std::move(timer->second.second));
            timer = timers_.erase(timer);
        } else {
            ++timer;
        }
    }
    for (auto& step : due) {
        step();
    }
}

int KeyLoop::pollTimeout() const {
    if (timers_.empty()) {
        return -1;
    }
    const auto next =
        std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
            return a.second.first < b.second.first;
        })->second.first;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0));
}

}  // namespace pastiq::wayland
