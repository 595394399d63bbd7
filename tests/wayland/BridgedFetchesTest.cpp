#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/wayland/BridgedFetches.h"

namespace pastiq::wayland {
namespace {

using namespace std::chrono_literals;
using Clock = x11::TimerQueue::Clock;

// A script step: a request for the write that left this count, or time passing.
using Step = std::variant<std::int64_t, Clock::duration>;

TEST(BridgedFetchesTest, AnItemCountsAsFetchedOnceItsRequestsHaveGoneQuiet) {
    // The timers count from the real clock, which barely moves while a case runs.
    constexpr Clock::duration past = BridgedFetches::kSettle + 5ms;
    struct Case {
        std::string name;
        std::vector<Step> steps;
        std::vector<std::int64_t> reported;
    };
    const std::vector<Case> cases{
        {"one request, then quiet", {std::int64_t{1}, past}, {1}},
        {"not quiet long enough", {std::int64_t{1}, past / 2}, {}},
        // GTK asks again for another type of the same paste: still one report.
        {"asked again", {std::int64_t{1}, std::int64_t{1}, past}, {1}},
        // The later item is in place already: the earlier paste is done with.
        {"a later item asked for", {std::int64_t{1}, std::int64_t{2}}, {1}},
        {"a later item, then quiet", {std::int64_t{1}, std::int64_t{3}, past}, {1, 3}},
        // A late request for an earlier item neither repeats it nor reports the later one early.
        {"an earlier item asked for late",
         {std::int64_t{1}, past, std::int64_t{2}, std::int64_t{1}, past},
         {1, 2}},
        {"an earlier item while a later one settles", {std::int64_t{2}, std::int64_t{1}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        x11::TimerQueue timers;
        std::vector<std::int64_t> reported;
        BridgedFetches fetches(timers, [&](std::int64_t count) { reported.push_back(count); });
        auto now = Clock::now();
        for (const auto& step : c.steps) {
            if (const auto* count = std::get_if<std::int64_t>(&step)) {
                fetches.requested(*count);
            } else {
                now += std::get<Clock::duration>(step);
                timers.runDue(now);
            }
        }
        EXPECT_EQ(reported, c.reported);
    }
}

}  // namespace
}  // namespace pastiq::wayland
