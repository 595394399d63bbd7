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

// A request for the text of the write that left `count`, the compositor known to read every
// item itself or not.
struct Request {
    std::int64_t count;
    bool readsEachItem = false;
};
// A script step: a request, or time passing.
using Step = std::variant<Request, Clock::duration>;

std::vector<std::int64_t> reportsOf(const std::vector<Step>& steps) {
    x11::TimerQueue timers;
    std::vector<std::int64_t> reported;
    BridgedFetches fetches(timers, [&](std::int64_t count) { reported.push_back(count); });
    auto now = Clock::now();
    for (const auto& step : steps) {
        if (const auto* request = std::get_if<Request>(&step)) {
            fetches.requested(request->count, request->readsEachItem);
        } else {
            now += std::get<Clock::duration>(step);
            timers.runDue(now);
        }
    }
    return reported;
}

struct FetchCase {
    std::string name;
    std::vector<Step> steps;
    std::vector<std::int64_t> reported;
};

void expectReports(const std::vector<FetchCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(reportsOf(c.steps), c.reported);
    }
}

// The timers count from the real clock, which barely moves while a case runs.
constexpr Clock::duration kPast = BridgedFetches::kSettle + 5ms;

TEST(BridgedFetchesTest, AnItemCountsAsFetchedOnceItsRequestsHaveGoneQuiet) {
    constexpr Clock::duration past = kPast;
    expectReports({
        {"one request, then quiet", {Request{1}, past}, {1}},
        {"not quiet long enough", {Request{1}, past / 2}, {}},
        // GTK asks again for another type of the same paste: still one report.
        {"asked again", {Request{1}, Request{1}, past}, {1}},
        // The later item is in place already: the earlier paste is done with.
        {"a later item asked for", {Request{1}, Request{2}}, {1}},
        {"a later item, then quiet", {Request{1}, Request{3}, past}, {1, 3}},
        // A late request for an earlier item neither repeats it nor reports the later one early.
        {"an earlier item asked for late",
         {Request{1}, past, Request{2}, Request{1}, past},
         {1, 2}},
        {"an earlier item while a later one settles", {Request{2}, Request{1}}, {}},
    });
}

TEST(BridgedFetchesTest, TheCompositorsOwnReadOfEachItemIsNoPaste) {
    constexpr Clock::duration past = kPast;
    constexpr bool reads = true;
    expectReports({
        {"its read, then quiet", {Request{1, reads}, past}, {}},
        {"its read, then the paste", {Request{1, reads}, Request{1, reads}, past}, {1}},
        // The first read of each item is its own, even when it comes after the paste's.
        {"its read comes late",
         {Request{1, reads}, Request{1, reads}, past, Request{2, reads}, past, Request{2, reads},
          past},
         {1, 2}},
    });
}

}  // namespace
}  // namespace pastiq::wayland
