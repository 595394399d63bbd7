#pragma once

#include <cstddef>

namespace pastiq {

// The largest copy Pastiq queues. Past these a queue would take hundreds of megabytes and
// seconds of work on every change, for lists nobody pastes item by item; such a copy is
// refused with a message instead.
struct QueueLimits {
    static constexpr std::size_t maxTextBytes = std::size_t{64} << 20;
    static constexpr std::size_t maxItems = 1'000'000;
};

}  // namespace pastiq
