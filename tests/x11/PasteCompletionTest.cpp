#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/x11/PasteCompletion.h"

namespace pastiq::x11 {
namespace {

struct CompletionCase {
    const char* name;
    // "fetch", "pinged", "unpinged" (passed on without a ping) or "answer", all for key 1.
    std::vector<std::string> news;
    bool isDone;
};

TEST(PasteCompletionTest, DoneOnceFetchedAndAnsweredWhereAPingWent) {
    const std::vector<CompletionCase> cases = {
        {"fetched, no ping", {"unpinged", "fetch"}, true},
        {"fetched before the key was passed on", {"fetch"}, false},
        {"a clipboard manager's fetch, the ping unanswered", {"pinged", "fetch"}, false},
        {"fetched and answered", {"pinged", "fetch", "answer"}, true},
        {"answered before the text arrived", {"pinged", "answer"}, false},
        {"answered, then fetched", {"pinged", "answer", "fetch"}, true},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        std::vector<std::uint32_t> done;
        PasteCompletion completion([&done](std::uint32_t keyTime) { done.push_back(keyTime); });
        for (const std::string& news : testCase.news) {
            if (news == "fetch") {
                completion.fetched(1);
            } else if (news == "answer") {
                completion.answered(1);
            } else {
                completion.passedOn(1, news == "pinged");
            }
        }
        completion.fetched(2);  // another paste's news changes nothing for this one
        EXPECT_EQ(done,
                  testCase.isDone ? std::vector<std::uint32_t>{1} : std::vector<std::uint32_t>{});
    }
}

TEST(PasteCompletionTest, APasteIsDoneOnlyOnce) {
    int done = 0;
    PasteCompletion completion([&done](std::uint32_t) { ++done; });
    completion.passedOn(1, false);
    completion.fetched(1);
    completion.fetched(1);  // Calc reads the text twice
    EXPECT_EQ(done, 1);
}

}  // namespace
}  // namespace pastiq::x11
