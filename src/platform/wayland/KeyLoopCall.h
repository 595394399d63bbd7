#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace pastiq::wayland {

template <typename Result>
std::optional<Result> askKeyLoop(const KeyLoop& loop, std::chrono::milliseconds bound,
                                 std::function<void(std::function<void(Result)>)> work) {
    // Shared with the reply, which may come after the wait gave up.
    struct Answer {
        std::mutex mutex;
        std::condition_variable ready;
        std::optional<Result> result;
    };
    auto answer = std::make_shared<Answer>();
    auto reply = [answer](Result result) {
        const std::lock_guard lock(answer->mutex);
        if (!answer->result) {
            answer->result = std::move(result);
            answer->ready.notify_all();
        }
    };
    if (loop.isKeyThread()) {
        work(reply);
    } else {
        loop.post([work = std::move(work), reply] { work(reply); });
    }
    std::unique_lock lock(answer->mutex);
    answer->ready.wait_for(lock, bound, [&answer] { return answer->result.has_value(); });
    return answer->result;
}

template <typename Result>
std::optional<Result> callOnKeyLoop(const KeyLoop& loop, std::chrono::milliseconds bound,
                                    std::function<Result()> work) {
    return askKeyLoop<Result>(
        loop, bound,
        [work = std::move(work)](const std::function<void(Result)>& reply) { reply(work()); });
}

}  // namespace pastiq::wayland
