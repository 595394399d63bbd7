#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/x11/XEventLoop.h"

namespace pastiq::x11 {

// Asks the X11 thread for an answer and waits for it on the calling (main) thread, at most
// `bound`. The X11 thread may answer later than that; a late answer is dropped.
template <typename T>
std::optional<T> askXThread(XEventLoop& loop, std::chrono::milliseconds bound,
                            std::function<void(std::function<void(T)> answer)> work) {
    struct Slot {
        std::promise<T> promise;
        std::once_flag answered;
    };
    auto slot = std::make_shared<Slot>();
    auto future = slot->promise.get_future();
    loop.post([slot, work = std::move(work)] {
        work([slot](T value) {
            std::call_once(slot->answered, [&] { slot->promise.set_value(std::move(value)); });
        });
    });
    if (future.wait_for(bound) != std::future_status::ready) {
        return std::nullopt;
    }
    return future.get();
}

// The same for work that answers at once.
template <typename T>
std::optional<T> callOnXThread(XEventLoop& loop, std::chrono::milliseconds bound,
                               std::function<T()> work) {
    return askXThread<T>(
        loop, bound, [work = std::move(work)](std::function<void(T)> answer) { answer(work()); });
}

// Runs work on the X11 thread and waits for it at most `bound`, so that when the X11 thread keeps
// up, what the work undoes (a grab, say) is undone before the caller goes on. Late, it still
// runs there, before anything posted after this call.
inline void runOnXThread(XEventLoop& loop, std::chrono::milliseconds bound,
                         std::function<void()> work) {
    callOnXThread<bool>(loop, bound, [work = std::move(work)] {
        work();
        return true;
    });
}

}  // namespace pastiq::x11
