#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace pastiq::wayland {

// The key thread: one poll loop over the keyboards, the compositor's keymap, a wake fd for work
// posted from other threads, and timers. Nothing run here may wait for the main thread.
class KeyLoop {
  public:
    using Clock = std::chrono::steady_clock;
    using TimerId = std::uint64_t;

    KeyLoop();
    // Stops the thread; work still queued is dropped.
    ~KeyLoop();
    KeyLoop(const KeyLoop&) = delete;
    KeyLoop& operator=(const KeyLoop&) = delete;

    // False when the wake fd or the thread could not be made.
    bool start();
    void stop();

    // Any thread. Runs `work` on the key thread, in posting order.
    void post(std::function<void()> work) const;
    // Any thread: a post function that may outlive the loop; work posted once the loop has
    // stopped never runs.
    [[nodiscard]] std::function<void(std::function<void()>)> poster() const;
    [[nodiscard]] bool isKeyThread() const { return std::this_thread::get_id() == threadId_; }

    // Key thread.
    TimerId schedule(Clock::duration delay, std::function<void()> work);
    void cancel(TimerId id);
    // `onReadable` runs whenever `fd` is readable or hung up; replaces an earlier watch of it.
    void watch(int fd, std::function<void()> onReadable);
    void unwatch(int fd);

  private:
    void run();
    void runPosted();
    void runDueTimers();
    [[nodiscard]] int pollTimeout() const;

    // Work posted from any thread; shared with the post functions handed out.
    struct Inbox {
        Inbox();
        ~Inbox();
        Inbox(const Inbox&) = delete;
        Inbox& operator=(const Inbox&) = delete;
        void post(std::function<void()> work);
        void wake() const;

        int wakeFd = -1;
        std::mutex mutex;
        std::vector<std::function<void()>> posted;
        bool stopping = false;
    };

    std::shared_ptr<Inbox> inbox_ = std::make_shared<Inbox>();
    std::thread thread_;
    std::atomic<std::thread::id> threadId_;
    // Key thread only.
    std::map<int, std::function<void()>> watches_;
    std::map<TimerId, std::pair<Clock::time_point, std::function<void()>>> timers_;
    TimerId nextTimer_ = 1;
};

// Starts `work` on the key thread and waits at most `bound` for the answer it gives through
// its reply function, at once or later: nothing when none came in time.
template <typename Result>
std::optional<Result> askKeyLoop(const KeyLoop& loop, std::chrono::milliseconds bound,
                                 std::function<void(std::function<void(Result)>)> work);

// Runs `work` on the key thread and waits for its result at most `bound`: nothing when the
// thread did not get to it in time (it still runs later). On the key thread it runs at once.
template <typename Result>
std::optional<Result> callOnKeyLoop(const KeyLoop& loop, std::chrono::milliseconds bound,
                                    std::function<Result()> work);

}  // namespace pastiq::wayland

#include "platform/wayland/KeyLoopCall.h"
