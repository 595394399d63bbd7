#include <optional>
#include <string>
#include <vector>

#include "EngineHarness.h"
#include "engine/CopySize.h"

namespace pastiq::testing {
namespace {

const std::string kList = "SECRET-alpha\nSECRET-bravo";
const std::vector<std::string> kQueue = {"SECRET-alpha", "SECRET-bravo"};

std::string lines(std::size_t count) {
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text += "a\n";
    }
    return text;
}

struct SizeCase {
    const char* name;
    ClipboardText copy;
    std::optional<std::string> reason;
};

TEST(CopySizeTest, CopiesOverEitherLimitAreTooLargeToQueue) {
    const std::size_t maxBytes = QueueLimits::maxTextBytes;
    std::vector<SizeCase> cases;
    cases.push_back({"no text", ClipboardText{}, std::nullopt});
    cases.push_back({"owner announced 110 MB", ClipboardText::tooLargeOf(110'000'000),
                     "at least 110000000 bytes of text, more than 67108864"});
    cases.push_back({"text at the byte limit", ClipboardText::withText(std::string(maxBytes, 'x')),
                     std::nullopt});
    cases.push_back({"text past the byte limit",
                     ClipboardText::withText(std::string(maxBytes + 1, 'x')),
                     std::to_string(maxBytes + 1) + " bytes of text, more than 67108864"});
    cases.push_back({"items at the limit", ClipboardText::withText(lines(QueueLimits::maxItems)),
                     std::nullopt});
    cases.push_back({"items past the limit",
                     ClipboardText::withText(lines(QueueLimits::maxItems + 1)),
                     "1000001 items, more than 1000000"});
    for (const SizeCase& c : cases) {
        EXPECT_EQ(whyTooLargeToQueue(c.copy), c.reason) << c.name;
    }
}

using CopySizeSessionTest = EngineHarness;

TEST_F(CopySizeSessionTest, ATooLargeCopyStartsNothingAndSaysWhyForThreeSeconds) {
    fakes.clipboard.simulateTooLargeCopy(110'000'000);
    controller->startSession(false);
    fakes.scheduler.runReady();
    EXPECT_EQ(controller->session(), nullptr);
    EXPECT_EQ(controller->statusMessage(), kCopyTooLargeMessage);
    EXPECT_EQ(fakes.overlay.notice(), kCopyTooLargeMessage);
    const std::string refusal =
        "Copy too large to queue: at least 110000000 bytes of text, more than 67108864";
    EXPECT_EQ(controller->startRefusal(), refusal);
    EXPECT_EQ(fakes.log.count(refusal), 1);
    advance(3000);
    EXPECT_EQ(controller->statusMessage(), std::nullopt);
    EXPECT_EQ(fakes.overlay.notice(), std::nullopt);

    // The next start that works clears the refusal.
    startWith(kList);
    EXPECT_EQ(controller->startRefusal(), std::nullopt);
}

TEST_F(CopySizeSessionTest, ARunningQueueIsKeptWhenTheNewCopyIsTooLarge) {
    startWith(kList);
    pressPaste();
    fakes.clipboard.simulateTooLargeCopy(110'000'000);
    controller->startSession(false);
    fakes.scheduler.runReady();
    EXPECT_EQ(queueTexts(), kQueue);
    EXPECT_EQ(cursor(), 1);

    pressCopy();
    fakes.clipboard.simulateCopy(lines(QueueLimits::maxItems + 1));
    advance(20);
    EXPECT_EQ(queueTexts(), kQueue);
    EXPECT_EQ(controller->statusMessage(), kCopyTooLargeMessage);
    EXPECT_EQ(fakes.log.count("Copy too large to queue: 1000001 items, more than 1000000"), 1);
}

// `pastiq start --file` hands its text straight to the controller: the same limits, and the
// same replacement of a running session, as a copy.
TEST_F(CopySizeSessionTest, AGivenTextIsLimitedAndReplacesTheSessionAsACopyIs) {
    startWith("old\nlist");
    controller->startSessionWithText(lines(QueueLimits::maxItems + 1));
    EXPECT_EQ(controller->startRefusal(),
              "Copy too large to queue: 1000001 items, more than 1000000");
    EXPECT_EQ(queueTexts(), (std::vector<std::string>{"old", "list"}));

    controller->startSessionWithText(kList);
    EXPECT_EQ(controller->startRefusal(), std::nullopt);
    EXPECT_EQ(queueTexts(), kQueue);
}

// Without input access nothing starts, and the caller is told why rather than left with the
// answer of an earlier start.
TEST_F(CopySizeSessionTest, AStartWithoutInputAccessIsRefusedWithTheReason) {
    fakes.clipboard.simulateTooLargeCopy(110'000'000);
    controller->startSession(false);
    fakes.inputAccess.granted = false;
    fakes.inputAccess.missing = {{"Not in the input group.", "sudo usermod -aG input $USER"}};
    for (const bool withText : {false, true}) {
        if (withText) {
            controller->startSessionWithText(kList);
        } else {
            controller->startSession(false);
        }
        EXPECT_EQ(controller->session(), nullptr);
        const std::string refusal = controller->startRefusal().value_or("(none)");
        EXPECT_TRUE(refusal.starts_with("No input access")) << refusal;
        EXPECT_TRUE(
            refusal.ends_with("\n  Not in the input group.\n    sudo usermod -aG input $USER"))
            << refusal;
    }
}

// A copy whose owner never answers makes every read block for the read bound; the wait for the
// copy still ends after a second, not after fifty blocked reads.
TEST_F(CopySizeSessionTest, TheWaitForACopyCountsTimeNotAttempts) {
    startWith(kList);
    fakes.clipboard.onRead = [this] { fakes.scheduler.passTimeBlocked(Delay{450}); };
    pressCopy();
    fakes.clipboard.simulateCopy(std::nullopt);  // an owner that gives no text
    fakes.scheduler.runUntilIdle();
    EXPECT_LE(fakes.clipboard.readCount(), 4);
    EXPECT_EQ(fakes.scheduler.pendingCount(), 0U);
    EXPECT_EQ(queueTexts(), kQueue);
}

}  // namespace
}  // namespace pastiq::testing
