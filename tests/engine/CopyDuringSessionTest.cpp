#include <ostream>
#include <string>
#include <vector>

#include "EngineHarness.h"

namespace pastiq::testing {
namespace {

const std::string kList = "SECRET-alpha\nSECRET-bravo\nSECRET-charlie";
const std::string kNewList = "SECRET-x\nSECRET-y\nSECRET-z";
const std::vector<std::string> kOld = {"SECRET-alpha", "SECRET-bravo", "SECRET-charlie"};
const std::vector<std::string> kNew = {"SECRET-x", "SECRET-y", "SECRET-z"};

using CopyDuringSessionTest = EngineHarness;

TEST_F(CopyDuringSessionTest, CopyWithinASecondReloadsTheQueue) {
    startWith(kList);
    pressPaste();
    EXPECT_EQ(pressCopy(), KeyVerdict::passOn);
    advance(290);
    fakes.clipboard.simulateCopy(kNewList);
    advance(20);
    EXPECT_EQ(queueTexts(), kNew);
    EXPECT_EQ(cursor(), 0);
    EXPECT_EQ(clipboard(), "SECRET-x") << "the first item replaces the copied text";
    EXPECT_EQ(fakes.log.count("Queue reloaded from copy with 3 items"), 1);
    EXPECT_EQ(fakes.scheduler.pendingCount(), 0U) << "polling stops once the copy is seen";
}

TEST_F(CopyDuringSessionTest, CopyRightAfterTheKeyIsSeenAtTheFirstPoll) {
    startWith(kList);
    fakes.keyGrab.pressCtrl(KeyPosition::c);
    fakes.scheduler.runReady();
    fakes.clipboard.simulateCopy(kNewList);
    const int readsBefore = fakes.clipboard.readCount();
    advance(20);
    EXPECT_EQ(queueTexts(), kNew);
    // One read finds the copy, and that text is the one parsed: a second read could meet
    // another owner's text.
    EXPECT_EQ(fakes.clipboard.readCount() - readsBefore, 1);
}

struct TimeoutCase {
    int copyAtMs;
    bool reloads;
    friend void PrintTo(const TimeoutCase& c, std::ostream* out) {
        *out << "copy at " << c.copyAtMs << " ms";
    }
};

class CopyTimeoutTest : public EngineHarness, public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(CopyTimeoutTest, WaitsOneSecondForTheCopy) {
    startWith(kList);
    pressCopy();
    advance(GetParam().copyAtMs);
    fakes.clipboard.simulateCopy(kNewList);
    advance(2000);
    EXPECT_EQ(queueTexts(), GetParam().reloads ? kNew : kOld);
}

INSTANTIATE_TEST_SUITE_P(Times, CopyTimeoutTest,
                         ::testing::Values(TimeoutCase{990, true}, TimeoutCase{999, true},
                                           TimeoutCase{1001, false}, TimeoutCase{1500, false}));

struct NoReloadCase {
    const char* name;
    bool copies;
    std::optional<std::string> copied;
    bool ownApplicationActive;
};

class NoReloadTest : public EngineHarness, public ::testing::WithParamInterface<NoReloadCase> {};

TEST_P(NoReloadTest, QueueStaysAsItWas) {
    const NoReloadCase& c = GetParam();
    startWith(kList);
    pressPaste();
    fakes.focus.ownApplicationActive = c.ownApplicationActive;
    pressCopy();
    advance(100);
    if (c.copies) {
        fakes.clipboard.simulateCopy(c.copied);
    }
    advance(2000);
    EXPECT_EQ(queueTexts(), kOld);
    EXPECT_EQ(cursor(), 1);
    EXPECT_EQ(fakes.log.linesContaining("Queue reloaded").size(), 0U);
    EXPECT_EQ(fakes.scheduler.pendingCount(), 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoReloadTest,
    ::testing::Values(NoReloadCase{"NoChange", false, std::nullopt, false},
                      NoReloadCase{"ContentWithoutText", true, std::nullopt, false},
                      NoReloadCase{"EmptyText", true, std::string(""), false},
                      NoReloadCase{"LineFeedsOnly", true, std::string("\n\n"), false},
                      NoReloadCase{"PastiqItselfActive", true, kNewList, true}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(CopyDuringSessionTest, CopyInTheFinishedStateLoadsANewList) {
    startWith(kList);
    pasteTimes(3);
    advance(400);
    ASSERT_TRUE(queueTexts().empty());
    pressCopy();
    fakes.clipboard.simulateCopy(kNewList);
    advance(20);
    EXPECT_EQ(queueTexts(), kNew);
    EXPECT_FALSE(session().isFinished());
    pressPaste();
    EXPECT_EQ(clipboard(), "SECRET-x");
    pressPaste();
    EXPECT_EQ(clipboard(), "SECRET-y");
}

TEST_F(CopyDuringSessionTest, PastiqsOwnWritesNeverReloadTheQueue) {
    startWith(kList);
    pressCopy();
    pressStepForward();  // Pastiq writes bravo while the copy wait runs
    advance(40);
    pressPaste();  // and bravo again
    advance(40);
    fakes.clipboard.simulateReannounce();  // a clipboard manager takes over bravo
    advance(2000);
    EXPECT_EQ(queueTexts(), kOld);
    EXPECT_EQ(cursor(), 2);
}

TEST_F(CopyDuringSessionTest, CopyAfterAnOwnWriteIsStillSeen) {
    startWith(kList);
    pressCopy();
    pressStepForward();
    advance(40);
    fakes.clipboard.simulateCopy(kNewList);
    advance(20);
    EXPECT_EQ(queueTexts(), kNew);
}

TEST_F(CopyDuringSessionTest, OverlappingCopyKeysReloadOnce) {
    startWith(kList);
    pressCopy();
    advance(10);
    pressCopy();
    advance(30);
    fakes.clipboard.simulateCopy(kNewList);
    advance(2000);
    EXPECT_EQ(queueTexts(), kNew);
    EXPECT_EQ(fakes.log.count("Queue reloaded from copy with 3 items"), 1);
}

TEST_F(CopyDuringSessionTest, CopyJustBeforeTheFinishStepIsKept) {
    startWith(kList);
    pasteTimes(3);
    advance(381);
    pressCopy();  // polls at 401, 421, ...
    advance(9);
    fakes.clipboard.simulateCopy(kNewList);  // the finish step at 400 runs before the poll
    advance(10);
    EXPECT_EQ(clipboard(), kNewList) << "the user's fresh copy must not be cleared";
    advance(1);
    EXPECT_EQ(queueTexts(), kNew);
    EXPECT_EQ(clipboard(), "SECRET-x");
    EXPECT_FALSE(session().isFinished());
}

TEST_F(CopyDuringSessionTest, CopyJustBeforeReturningToTheFirstItemIsKept) {
    setFinishBehavior(ListFinishBehavior::returnToFirstItem);
    startWith(kList);
    pasteTimes(3);
    advance(381);
    pressCopy();
    advance(9);
    fakes.clipboard.simulateCopy(kNewList);
    advance(11);
    EXPECT_EQ(queueTexts(), kNew);
    EXPECT_EQ(clipboard(), "SECRET-x");
}

TEST_F(CopyDuringSessionTest, ReloadedListSurvivesAPendingFinishStep) {
    startWith(kList);
    pasteTimes(3);
    advance(100);
    pressCopy();
    fakes.clipboard.simulateCopy(kNewList);
    advance(20);
    ASSERT_EQ(queueTexts(), kNew);
    advance(500);
    EXPECT_EQ(queueTexts(), kNew) << "the finish step of the old list must not clear the new one";
    EXPECT_EQ(clipboard(), "SECRET-x");
}

TEST_F(CopyDuringSessionTest, CopyWaitOfAnEndedSessionDoesNotTouchTheNextOne) {
    startWith(kList);
    pressCopy();
    controller->endSession(true);
    startWith("SECRET-p\nSECRET-q");
    advance(40);
    fakes.clipboard.simulateCopy(kNewList);
    advance(2000);
    EXPECT_EQ(queueTexts(), (std::vector<std::string>{"SECRET-p", "SECRET-q"}));
}

}  // namespace
}  // namespace pastiq::testing
