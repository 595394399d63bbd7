#include <gtest/gtest.h>

#include <chrono>

#include "platform/x11/RequestBudget.h"

namespace pastiq::x11 {
namespace {

using namespace std::chrono_literals;

// How many of `requests` requests at once the budget lets through.
int answeredOf(RequestBudget& budget, xcb_window_t requestor, int requests,
               RequestBudget::Clock::time_point at) {
    int answered = 0;
    for (int i = 0; i < requests; ++i) {
        answered += budget.take(requestor, at) ? 1 : 0;
    }
    return answered;
}

// A flood is cut to the budget, the budget comes back with the next period, and one
// requestor's flood never costs another requestor its answers.
TEST(RequestBudgetTest, AnswersEachRequestorUpToItsBudgetPerPeriod) {
    constexpr xcb_window_t kFlooder = 0x400001;
    constexpr xcb_window_t kEditor = 0x600001;
    RequestBudget budget;
    const RequestBudget::Clock::time_point start{};
    const int budgetSize = RequestBudget::kAnswersPerPeriod;
    EXPECT_EQ(answeredOf(budget, kFlooder, 10 * budgetSize, start), budgetSize);
    EXPECT_EQ(answeredOf(budget, kEditor, 2, start + 1ms), 2);
    EXPECT_EQ(answeredOf(budget, kFlooder, 1, start + RequestBudget::kPeriod - 1ms), 0);
    EXPECT_EQ(answeredOf(budget, kFlooder, 10 * budgetSize, start + RequestBudget::kPeriod),
              budgetSize);
}

// Requests from ever new windows keep the table small: periods that ended are forgotten.
TEST(RequestBudgetTest, ForgetsRequestorsWhosePeriodEnded) {
    RequestBudget budget;
    const RequestBudget::Clock::time_point start{};
    for (xcb_window_t window = 1; window <= 1000; ++window) {
        ASSERT_TRUE(budget.take(window, start + window * RequestBudget::kPeriod));
    }
    EXPECT_LE(budget.requestorsTracked(), 300U);
}

}  // namespace
}  // namespace pastiq::x11
