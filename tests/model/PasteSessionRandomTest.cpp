// Long seeded sequences of session operations: after every one, the invariants hold, every
// store is announced before and after, and the signal fires exactly when it should.
#include <gtest/gtest.h>

#include <random>

#include "model/ClipboardParser.h"
#include "support/ModelInvariants.h"
#include "support/SessionExerciser.h"

namespace pastiq {
namespace {

constexpr int kStepsPerSeed = 2000;

class RandomSessionTest : public testing::TestWithParam<std::uint32_t> {};

TEST_P(RandomSessionTest, InvariantsHoldAfterEveryOperation) {
    std::mt19937_64 generator(GetParam());
    const SessionExerciser::Chooser choose = [&](std::uint64_t upperBound) {
        return std::uniform_int_distribution<std::uint64_t>(0, upperBound)(generator);
    };
    auto parsed = ClipboardParser::parse(SessionExerciser::randomClipboardText(choose));
    if (parsed) {
        ASSERT_EQ(parsedInvariantViolation(*parsed), std::nullopt);
    }
    PasteSession session(parsed ? std::move(*parsed) : ParsedClipboard::empty());
    SessionExerciser exerciser(session, choose);
    for (int step = 0; step < kStepsPerSeed; ++step) {
        const auto violation = exerciser.step();
        ASSERT_EQ(violation, std::nullopt) << "seed " << GetParam() << ", step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomSessionTest, testing::Range<std::uint32_t>(1, 21));

TEST(RandomParseTest, ResultsAreSoundForRandomTexts) {
    std::mt19937_64 generator(7);
    const SessionExerciser::Chooser choose = [&](std::uint64_t upperBound) {
        return std::uniform_int_distribution<std::uint64_t>(0, upperBound)(generator);
    };
    for (int i = 0; i < 2000; ++i) {
        const std::string text = SessionExerciser::randomClipboardText(choose);
        const auto parsed = ClipboardParser::parse(text);
        if (parsed) {
            ASSERT_EQ(parsedInvariantViolation(*parsed), std::nullopt)
                << testing::PrintToString(text);
        }
    }
}

}  // namespace
}  // namespace pastiq
