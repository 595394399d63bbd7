#include "fakes/ManualScheduler.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace pastiq::testing {

void ManualScheduler::runAfter(Delay delay, const StepGuard& owner, std::function<void()> work) {
    schedule(now_ + std::max(delay, Delay{0}), 1, std::move(work), owner.watch());
}

void ManualScheduler::runSoon(std::function<void()> work) {
    schedule(now_, 0, std::move(work), std::nullopt);
}

void ManualScheduler::schedule(Delay due, int priority, std::function<void()> work,
                               std::optional<StepGuard::Watch> guard) {
    entries_.push_back(Entry{due, priority, nextSequence_++, std::move(work), std::move(guard)});
}

std::optional<std::size_t> ManualScheduler::nextEntryDueBy(Delay limit) const {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        if (entry.due > limit) {
            continue;
        }
        if (!best ||
            std::tie(entry.due, entry.priority, entry.sequence) <
                std::tie(entries_[*best].due, entries_[*best].priority, entries_[*best].sequence)) {
            best = i;
        }
    }
    return best;
}

void ManualScheduler::advance(Delay duration) {
    const Delay target = now_ + duration;
    while (const auto index = nextEntryDueBy(target)) {
        Entry entry = std::move(entries_[*index]);
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(*index));
        now_ = std::max(now_, entry.due);
        if (!entry.isCancelled()) {
            entry.work();
        }
    }
    now_ = target;
}

void ManualScheduler::runUntilIdle(Delay limit) {
    const Delay end = now_ + limit;
    while (const auto due = nextDueTime()) {
        if (*due > end) {
            break;
        }
        advance(*due - now_);
    }
}

std::size_t ManualScheduler::pendingCount() const {
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(),
                                                  [](const Entry& e) { return !e.isCancelled(); }));
}

std::optional<Delay> ManualScheduler::nextDueTime() const {
    std::optional<Delay> next;
    for (const Entry& entry : entries_) {
        if (!entry.isCancelled() && (!next || entry.due < *next)) {
            next = entry.due;
        }
    }
    return next;
}

}  // namespace pastiq::testing
