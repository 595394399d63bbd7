#include <string>
#include <vector>

#include "EngineHarness.h"

namespace pastiq::testing {
namespace {

const std::string kOldClipboard = "SECRET-old";
const std::string kSelection = "SECRET-l1\nSECRET-l2\nSECRET-l3";
const std::vector<std::string> kSelectionItems = {"SECRET-l1", "SECRET-l2", "SECRET-l3"};

const std::string kNothingSelected = "Nothing selected — copy skipped";
const std::string kProducedNothing = "Copy produced nothing — falling back to existing clipboard";
const std::string kRaced = "Copy raced the held hotkey — retrying";
const std::string kCannotPost = "Could not synthesize a copy";
const std::string kCopied = "Hotkey start — copied a fresh selection: 1";
const std::string kNotCopied = "Hotkey start — copied a fresh selection: 0";
const std::string kStarted3 = "Session started with 3 items";
const std::string kStarted0 = "Session started with 0 items";

struct HotkeyCase {
    const char* name;
    bool selectionEmpty;
    int holdMs;  // how long the hot key stays held
    bool cannotPost;
    bool appCopies;  // the focused application answers a Ctrl+C that arrives without Alt
    int expectedPosts;
    bool expectedCopied;
    int finishAtMs;
    std::vector<std::string> expectedLog;
};

class HotkeyStartTest : public EngineHarness, public ::testing::WithParamInterface<HotkeyCase> {
  protected:
    void scriptTheFocusedApplication(const HotkeyCase& c) {
        fakes.clipboard.simulateCopy(kOldClipboard);
        fakes.selection.isEmpty = c.selectionEmpty;
        fakes.modifiers.holdFor(Delay{c.holdMs});
        fakes.eventPoster.cannotPost = c.cannotPost;
        // A Ctrl+C that arrives while the hot key is still held copies nothing; otherwise the
        // application copies 50 ms later.
        fakes.eventPoster.onCopyKeystroke = [this, appCopies = c.appCopies] {
            if (appCopies && !fakes.modifiers.isHotkeyHeld()) {
                fakes.scheduler.runAfter(Delay{50}, application_,
                                         [this] { fakes.clipboard.simulateCopy(kSelection); });
            }
        };
    }

  private:
    StepGuard application_;
};

TEST_P(HotkeyStartTest, CapturesTheSelectionAndStarts) {
    const HotkeyCase& c = GetParam();
    scriptTheFocusedApplication(c);
    controller->startSession(true);
    if (c.finishAtMs > 0) {
        EXPECT_TRUE(controller->isStarting());
        advance(c.finishAtMs - 1);
        EXPECT_TRUE(controller->isStarting());
        EXPECT_EQ(controller->session(), nullptr);
        advance(1);
    }
    EXPECT_FALSE(controller->isStarting());
    ASSERT_NE(controller->session(), nullptr);
    EXPECT_EQ(queueTexts(), c.expectedCopied ? kSelectionItems : std::vector<std::string>{});
    EXPECT_EQ(clipboard(), c.expectedCopied ? "SECRET-l1" : kOldClipboard);
    advance(10'000);
    EXPECT_EQ(fakes.eventPoster.postCount(), c.expectedPosts);
    EXPECT_EQ(fakes.log.messages(), c.expectedLog);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HotkeyStartTest,
    ::testing::Values(
        HotkeyCase{"NothingSelected",
                   true,
                   0,
                   false,
                   true,
                   0,
                   false,
                   0,
                   {kNothingSelected, kNotCopied, kStarted0}},
        HotkeyCase{"SelectionCopied", false, 0, false, true, 1, true, 60, {kCopied, kStarted3}},
        HotkeyCase{
            "ReleasedDuringTheWait", false, 300, false, true, 1, true, 360, {kCopied, kStarted3}},
        HotkeyCase{"NothingSelectedAfterTheWait",
                   true,
                   300,
                   false,
                   true,
                   0,
                   false,
                   300,
                   {kNothingSelected, kNotCopied, kStarted0}},
        HotkeyCase{"ApplicationCopiesNothing",
                   false,
                   0,
                   false,
                   false,
                   1,
                   false,
                   1000,
                   {kProducedNothing, kNotCopied, kStarted0}},
        HotkeyCase{"HeldPastTheWaitThenRetried",
                   false,
                   2000,
                   false,
                   true,
                   2,
                   true,
                   2560,
                   {kProducedNothing, kRaced, kCopied, kStarted3}},
        HotkeyCase{"HeldIntoTheRetryWait",
                   false,
                   4000,
                   false,
                   true,
                   2,
                   true,
                   4060,
                   {kProducedNothing, kRaced, kCopied, kStarted3}},
        HotkeyCase{"HeldThroughEveryWait",
                   false,
                   100'000,
                   false,
                   true,
                   2,
                   false,
                   5480,
                   {kProducedNothing, kRaced, kProducedNothing, kNotCopied, kStarted0}},
        HotkeyCase{"KeystrokeCannotBeMade",
                   false,
                   0,
                   true,
                   true,
                   1,
                   false,
                   0,
                   {kCannotPost, kNotCopied, kStarted0}},
        HotkeyCase{"KeystrokeCannotBeMadeAfterRace",
                   false,
                   2000,
                   true,
                   true,
                   2,
                   false,
                   2010,
                   {kCannotPost, kRaced, kCannotPost, kNotCopied, kStarted0}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

using HotkeyStartGuardTest = EngineHarness;

// The read that finds the copied selection is the text queued: a second read could meet
// another owner's text.
TEST_F(HotkeyStartGuardTest, TheCopiedSelectionIsReadOnce) {
    fakes.clipboard.simulateCopy(kOldClipboard);
    fakes.eventPoster.onCopyKeystroke = [this] { fakes.clipboard.simulateCopy(kSelection); };
    const int readsBefore = fakes.clipboard.readCount();
    controller->startSession(true);
    advance(100);
    EXPECT_EQ(queueTexts(), kSelectionItems);
    EXPECT_EQ(fakes.clipboard.readCount() - readsBefore, 1);
}

TEST_F(HotkeyStartGuardTest, StartsDuringACaptureAreIgnored) {
    fakes.clipboard.simulateCopy(kOldClipboard);
    fakes.modifiers.holdFor(Delay{300});
    fakes.eventPoster.onCopyKeystroke = [this] { fakes.clipboard.simulateCopy(kSelection); };
    controller->startSession(true);
    controller->startSession(true);
    controller->startSession(false);
    EXPECT_EQ(controller->session(), nullptr) << "the menu start must wait for the capture";
    advance(300);
    EXPECT_EQ(fakes.eventPoster.postCount(), 1);
    EXPECT_EQ(fakes.keyGrab.installCount(), 1);
    EXPECT_EQ(queueTexts(), kSelectionItems);
}

TEST_F(HotkeyStartGuardTest, HotkeyStartWithoutInputAccessShowsOnboarding) {
    fakes.inputAccess.granted = false;
    controller->startSession(true);
    EXPECT_FALSE(controller->isStarting());
    EXPECT_EQ(fakes.onboarding.showCount, 1);
    EXPECT_EQ(fakes.selection.queryCount, 0);
    EXPECT_EQ(fakes.scheduler.pendingCount(), 0U);
}

TEST_F(HotkeyStartGuardTest, FailedInstallAfterCaptureClearsStarting) {
    fakes.keyGrab.refusesInstall = true;
    fakes.eventPoster.onCopyKeystroke = [this] { fakes.clipboard.simulateCopy(kSelection); };
    controller->startSession(true);
    advance(20);
    EXPECT_FALSE(controller->isStarting());
    EXPECT_EQ(controller->session(), nullptr);
    EXPECT_EQ(controller->statusMessage(), "Paste monitor blocked");
    fakes.keyGrab.refusesInstall = false;
    controller->startSession(true);
    advance(20);
    EXPECT_NE(controller->session(), nullptr) << "a later start is not blocked";
}

}  // namespace
}  // namespace pastiq::testing
