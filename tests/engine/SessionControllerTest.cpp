#include <string>
#include <vector>

#include "EngineHarness.h"

namespace pastiq::testing {
namespace {

const std::string kList = "SECRET-alpha\nSECRET-bravo\nSECRET-charlie";
const std::string kA = "SECRET-alpha";
const std::string kB = "SECRET-bravo";
const std::string kC = "SECRET-charlie";

using SessionControllerTest = EngineHarness;

TEST_F(SessionControllerTest, StartPutsTheFirstItemOnTheClipboard) {
    startWith(kList);
    ASSERT_NE(controller->session(), nullptr);
    EXPECT_EQ(queueTexts(), (std::vector<std::string>{kA, kB, kC}));
    EXPECT_EQ(clipboard(), kA);
    EXPECT_TRUE(fakes.keyGrab.isInstalled());
    EXPECT_EQ(fakes.overlay.shownSession(), controller->session());
    EXPECT_EQ(fakes.log.count("Session started with 3 items"), 1);
}

struct FinishCase {
    ListFinishBehavior behavior;
    std::optional<std::string> clipboardAfterPause;
    std::vector<std::string> queueAfterPause;
    std::optional<std::string> fourthPaste;  // what the clipboard holds as it is pasted
    bool fourthPasteIsIntercepted;
};

class FinishBehaviorTest : public EngineHarness,
                           public ::testing::WithParamInterface<FinishCase> {};

TEST_P(FinishBehaviorTest, ThreeItemListThenFinish) {
    const FinishCase& c = GetParam();
    setFinishBehavior(c.behavior);
    startWith(kList);
    for (const auto& expected : {kA, kB, kC}) {
        EXPECT_EQ(pressPaste(), KeyVerdict::passOn);
        EXPECT_EQ(clipboard(), expected) << "the application pastes what the key put there";
    }
    EXPECT_EQ(fakes.log.count("List finished — applying " + std::string(storedValue(c.behavior))),
              1);
    advance(399);
    EXPECT_EQ(clipboard(), kC) << "the application may still be reading the last item";
    advance(1);
    EXPECT_EQ(clipboard(), c.clipboardAfterPause);
    EXPECT_EQ(queueTexts(), c.queueAfterPause);

    const auto writesBefore = writeCount();
    EXPECT_EQ(pressPaste(), KeyVerdict::passOn);
    EXPECT_EQ(clipboard(), c.fourthPaste);
    EXPECT_EQ(writeCount() > writesBefore, c.fourthPasteIsIntercepted);
    EXPECT_TRUE(fakes.keyGrab.isInstalled()) << "no finish behaviour ends the session";
    EXPECT_TRUE(fakes.overlay.isShowing());
}

INSTANTIATE_TEST_SUITE_P(
    Behaviors, FinishBehaviorTest,
    ::testing::Values(
        FinishCase{ListFinishBehavior::clearClipboard, std::nullopt, {}, std::nullopt, false},
        FinishCase{ListFinishBehavior::returnToFirstItem, kA, {kA, kB, kC}, kA, true},
        FinishCase{ListFinishBehavior::stayOnLastItem, kC, {kA, kB, kC}, kC, true}),
    [](const auto& testInfo) { return std::string(storedValue(testInfo.param.behavior)); });

TEST_F(SessionControllerTest, ClearClipboardMarksFinishedAtOnceAndClearsLater) {
    startWith(kList);
    pasteTimes(3);
    EXPECT_TRUE(session().isFinished());
    EXPECT_EQ(queueTexts().size(), 3U);
    advance(400);
    EXPECT_TRUE(session().isFinished());
    EXPECT_EQ(fakes.log.count("List finished — clipboard and list cleared"), 1);
}

TEST_F(SessionControllerTest, ReturnToFirstItemResetsTheCursorAtOnce) {
    setFinishBehavior(ListFinishBehavior::returnToFirstItem);
    startWith(kList);
    pasteTimes(3);
    EXPECT_EQ(cursor(), 0);
    EXPECT_EQ(clipboard(), kC);
}

TEST_F(SessionControllerTest, StayOnLastItemLogsEachRepeatedFinish) {
    setFinishBehavior(ListFinishBehavior::stayOnLastItem);
    startWith(kList);
    for (int i = 0; i < 5; ++i) {
        pressPaste();
        advance(500);
    }
    EXPECT_EQ(clipboard(), kC);
    EXPECT_EQ(fakes.log.count("List finished — applying stayOnLastItem"), 3);
}

class UnknownFinishValueTest : public EngineHarness,
                               public ::testing::WithParamInterface<PreferenceValue> {};

TEST_P(UnknownFinishValueTest, BehavesAsClearClipboard) {
    store.preload(Settings::kListFinishBehaviorKey, GetParam());
    startWith("SECRET-one\nSECRET-two");
    pressPaste();
    pressPaste();
    EXPECT_EQ(fakes.log.count("List finished — applying clearClipboard"), 1);
    advance(400);
    EXPECT_EQ(clipboard(), std::nullopt);
    EXPECT_TRUE(queueTexts().empty());
}

INSTANTIATE_TEST_SUITE_P(Values, UnknownFinishValueTest,
                         ::testing::Values(PreferenceValue{std::string("bogus")},
                                           PreferenceValue{std::string("StayOnLastItem")},
                                           PreferenceValue{std::string("")},
                                           PreferenceValue{false}));

class EmptyStartTest : public EngineHarness,
                       public ::testing::WithParamInterface<std::optional<std::string>> {};

TEST_P(EmptyStartTest, StartsASessionWithNoItemsAndPastesPassThrough) {
    startWith(GetParam());
    ASSERT_NE(controller->session(), nullptr);
    EXPECT_TRUE(queueTexts().empty());
    EXPECT_TRUE(fakes.keyGrab.isInstalled());
    EXPECT_TRUE(fakes.overlay.isShowing());
    EXPECT_EQ(fakes.log.count("Session started with 0 items"), 1);
    EXPECT_EQ(pressPaste(), KeyVerdict::passOn);
    EXPECT_EQ(clipboard(), GetParam()) << "the clipboard keeps what it held";
    EXPECT_EQ(writeCount(), 0U);
    advance(5000);
    EXPECT_EQ(writeCount(), 0U);
}

INSTANTIATE_TEST_SUITE_P(Clipboards, EmptyStartTest,
                         ::testing::Values(std::nullopt, std::optional<std::string>(""),
                                           std::optional<std::string>("\n\n\n")));

TEST_F(SessionControllerTest, StepKeysAtBothEndsChangeAndWriteNothing) {
    startWith(kList);
    const auto writes = writeCount();
    EXPECT_EQ(pressStepBackward(), KeyVerdict::consume);
    EXPECT_EQ(cursor(), 0);
    EXPECT_EQ(writeCount(), writes);

    EXPECT_EQ(pressStepForward(), KeyVerdict::consume);
    EXPECT_EQ(pressStepForward(), KeyVerdict::consume);
    EXPECT_EQ(cursor(), 2);
    EXPECT_EQ(clipboard(), kC);
    const auto writesAtEnd = writeCount();
    EXPECT_EQ(pressStepForward(), KeyVerdict::consume);
    EXPECT_EQ(cursor(), 2);
    EXPECT_EQ(writeCount(), writesAtEnd);

    EXPECT_EQ(pressStepBackward(), KeyVerdict::consume);
    EXPECT_EQ(clipboard(), kB);
}

TEST_F(SessionControllerTest, StepForwardToTheLastItemThenPasteFinishes) {
    startWith(kList);
    pressPaste();  // alpha; the cursor moves to bravo
    pressStepForward();
    EXPECT_EQ(clipboard(), kC) << "written at once, before any paste";
    pressPaste();
    EXPECT_EQ(clipboard(), kC);
    EXPECT_EQ(fakes.log.count("List finished — applying clearClipboard"), 1);
    EXPECT_TRUE(session().isFinished());
}

TEST_F(SessionControllerTest, StepBackWithinThePauseKeepsTheListAndItsItem) {
    startWith(kList);
    pasteTimes(3);
    advance(100);
    pressStepBackward();  // the user wants bravo again
    EXPECT_FALSE(session().isFinished());
    EXPECT_EQ(clipboard(), kB);
    advance(300);
    EXPECT_EQ(queueTexts(), (std::vector<std::string>{kA, kB, kC}))
        << "the delayed clearing must not undo the step";
    EXPECT_EQ(clipboard(), kB);
    pressPaste();
    EXPECT_EQ(clipboard(), kB);
}

TEST_F(SessionControllerTest, ANewerFinishPostponesTheClearing) {
    startWith(kList);
    pasteTimes(3);  // finishes at 0
    advance(100);
    pressStepBackward();
    pressPaste();  // bravo again
    advance(200);
    pressPaste();  // charlie again at 300: finishes anew
    EXPECT_EQ(clipboard(), kC);
    advance(100);
    EXPECT_EQ(clipboard(), kC) << "cleared only 100 ms after the paste it belongs to";
    advance(300);
    EXPECT_EQ(clipboard(), std::nullopt);
    EXPECT_EQ(fakes.log.count("List finished — clipboard and list cleared"), 1);
}

TEST_F(SessionControllerTest, EndingASessionClearsTheClipboard) {
    startWith(kList);
    pressPaste();
    controller->endSession(true);
    EXPECT_EQ(controller->session(), nullptr);
    EXPECT_FALSE(fakes.keyGrab.isInstalled());
    EXPECT_FALSE(fakes.overlay.isShowing());
    EXPECT_EQ(clipboard(), std::nullopt);
    EXPECT_EQ(fakes.log.count("Session ended, clipboard cleared"), 1);
    EXPECT_EQ(pressPaste(), KeyVerdict::passOn);
    EXPECT_EQ(clipboard(), std::nullopt);
}

TEST_F(SessionControllerTest, EndingWithoutASessionLeavesTheClipboardAlone) {
    fakes.clipboard.simulateCopy("SECRET-user-text");
    controller->endSession(true);
    EXPECT_EQ(clipboard(), "SECRET-user-text");
    EXPECT_EQ(writeCount(), 0U);
    EXPECT_EQ(fakes.log.count("Session ended, clipboard cleared"), 0);
}

TEST_F(SessionControllerTest, EndingLeavesWhatTheUserCopiedSince) {
    startWith(kList);
    pressCopy();
    fakes.clipboard.simulateCopy(std::nullopt);  // an image: no list to load
    advance(2000);
    controller->endSession(true);
    EXPECT_EQ(writeCount(), 1U) << "only the first item was ever written";
    EXPECT_EQ(fakes.log.count("Session ended, clipboard cleared"), 0);

    startWith("\n\n");  // nothing to queue: the session never wrote
    controller->endSession(true);
    EXPECT_EQ(clipboard(), "\n\n");
}

TEST_F(SessionControllerTest, EndingClearsTheItemAfterAClipboardManagerTookItOver) {
    startWith(kList);
    fakes.clipboard.simulateReannounce();
    controller->endSession(true);
    fakes.scheduler.runReady();
    EXPECT_EQ(clipboard(), std::nullopt);
}

TEST_F(SessionControllerTest, EndingWithoutClearingKeepsTheItem) {
    startWith(kList);
    controller->endSession(false);
    EXPECT_EQ(clipboard(), kA);
    EXPECT_EQ(controller->session(), nullptr);
}

TEST_F(SessionControllerTest, OverlayCloseButtonEndsTheSession) {
    startWith(kList);
    fakes.overlay.clickClose();
    EXPECT_EQ(controller->session(), nullptr);
    EXPECT_EQ(clipboard(), std::nullopt);
}

TEST_F(SessionControllerTest, StartWithoutInputAccessShowsOnboardingOnly) {
    fakes.inputAccess.granted = false;
    startWith(kList);
    EXPECT_EQ(fakes.onboarding.showCount, 1);
    EXPECT_EQ(controller->session(), nullptr);
    EXPECT_EQ(controller->statusMessage(), std::nullopt);
    EXPECT_TRUE(fakes.log.entries().empty());
    EXPECT_EQ(fakes.keyGrab.installCount(), 0);
}

TEST_F(SessionControllerTest, FailedStartReportsBlockedMonitor) {
    fakes.keyGrab.refusesInstall = true;
    startWith(kList);
    EXPECT_EQ(controller->session(), nullptr);
    EXPECT_EQ(controller->statusMessage(), "Paste monitor blocked");
    EXPECT_EQ(fakes.alertSound.beepCount, 1);
    EXPECT_EQ(fakes.onboarding.showCount, 1);
    ASSERT_EQ(fakes.log.entries().size(), 1U);
    EXPECT_EQ(fakes.log.entries()[0].level, LogLevel::error);
    EXPECT_EQ(fakes.log.entries()[0].message, "Key grab failed — input access unavailable");
    EXPECT_EQ(clipboard(), kList) << "nothing is written when no key is intercepted";
}

TEST_F(SessionControllerTest, TwoFailedStartsKeepTheMessageThreeSecondsAfterTheSecond) {
    fakes.keyGrab.refusesInstall = true;
    startWith(kList);
    advance(2000);
    controller->startSession(false);
    fakes.scheduler.runReady();
    advance(1500);
    EXPECT_EQ(controller->statusMessage(), "Paste monitor blocked")
        << "the first reset was cancelled";
    advance(1499);
    EXPECT_EQ(controller->statusMessage(), "Paste monitor blocked");
    advance(1);
    EXPECT_EQ(controller->statusMessage(), std::nullopt);
    EXPECT_EQ(fakes.alertSound.beepCount, 2);
}

TEST_F(SessionControllerTest, SuccessfulStartClearsTheStatusMessage) {
    fakes.keyGrab.refusesInstall = true;
    startWith(kList);
    fakes.keyGrab.refusesInstall = false;
    controller->startSession(false);
    fakes.scheduler.runReady();
    EXPECT_EQ(controller->statusMessage(), std::nullopt);
    EXPECT_EQ(fakes.scheduler.pendingCount(), 0U) << "the pending reset is cancelled";
}

TEST_F(SessionControllerTest, FailedStartOverARunningSessionClosesItsOverlay) {
    startWith(kList);
    const auto oldSession = controller->session();
    fakes.keyGrab.refusesInstall = true;
    controller->startFromText("SECRET-x\nSECRET-y");
    EXPECT_EQ(controller->session(), nullptr);
    EXPECT_FALSE(fakes.overlay.isShowing());
    const auto writes = writeCount();
    oldSession->jump(2);
    EXPECT_EQ(writeCount(), writes) << "the dropped session must not drive the clipboard";
}

TEST_F(SessionControllerTest, UserChangesToTheNextItemAreWrittenAtOnce) {
    startWith(kList);
    session().jump(1);
    EXPECT_EQ(clipboard(), kB);
    session().updateText(session().items()[1].id(), "SECRET-edited");
    EXPECT_EQ(clipboard(), "SECRET-edited");
    session().deleteItem(session().items()[1].id());
    EXPECT_EQ(clipboard(), kC);
}

TEST_F(SessionControllerTest, DeletingTheLastRemainingItemWithdrawsItFromTheClipboard) {
    startWith("SECRET-only");
    session().deleteItem(session().items()[0].id());
    EXPECT_EQ(clipboard(), std::nullopt) << "a deleted item must not be pasted";
    EXPECT_EQ(pressPaste(), KeyVerdict::passOn);
    EXPECT_EQ(clipboard(), std::nullopt);
}

TEST_F(SessionControllerTest, PublishesSessionAndStatusAfterEachStore) {
    std::vector<std::string> events;
    auto sessions = controller->sessionChanged().subscribe(
        [&] { events.emplace_back(controller->session() ? "session (set)" : "session (none)"); });
    auto statuses = controller->statusMessageChanged().subscribe([&] {
        events.emplace_back(controller->statusMessage() ? "status (set)" : "status (none)");
    });
    startWith(kList);
    controller->endSession(true);
    EXPECT_EQ(events,
              (std::vector<std::string>{"session (set)", "status (none)", "session (none)"}));
}

TEST_F(SessionControllerTest, PasteWithoutSessionDoesNothing) {
    controller->pasteNext();
    controller->stepForward();
    controller->stepBackward();
    controller->copyDuringSession();
    EXPECT_EQ(writeCount(), 0U);
    EXPECT_EQ(fakes.scheduler.pendingCount(), 0U);
}

}  // namespace
}  // namespace pastiq::testing
