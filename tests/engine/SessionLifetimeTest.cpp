#include <string>
#include <vector>

#include "EngineHarness.h"

namespace pastiq::testing {
namespace {

const std::string kList = "SECRET-alpha\nSECRET-bravo\nSECRET-charlie";
const std::string kOther = "SECRET-p\nSECRET-q";

using SessionLifetimeTest = EngineHarness;

TEST_F(SessionLifetimeTest, ReplacedSessionIgnoresItsPendingFinishStep) {
    for (const auto behavior : kAllListFinishBehaviors) {
        setFinishBehavior(behavior);
        startWith(kList);
        pasteTimes(3);
        advance(100);
        startWith(kOther);
        const auto writes = writeCount();
        advance(1000);
        EXPECT_EQ(queueTexts(), (std::vector<std::string>{"SECRET-p", "SECRET-q"}))
            << storedValue(behavior);
        EXPECT_EQ(clipboard(), "SECRET-p") << storedValue(behavior);
        EXPECT_EQ(writeCount(), writes) << storedValue(behavior);
        controller->endSession(true);
    }
}

TEST_F(SessionLifetimeTest, EndedSessionIgnoresItsPendingFinishStep) {
    startWith(kList);
    pasteTimes(3);
    controller->endSession(true);
    fakes.clipboard.simulateCopy("SECRET-user");
    advance(1000);
    EXPECT_EQ(clipboard(), "SECRET-user");
    EXPECT_EQ(fakes.log.count("List finished — clipboard and list cleared"), 0);
}

TEST_F(SessionLifetimeTest, DroppedSessionNoLongerDrivesTheClipboard) {
    startWith(kList);
    const auto dropped = controller->session();
    controller->endSession(true);
    dropped->jump(2);
    EXPECT_EQ(clipboard(), std::nullopt);
}

// Destroying the controller with work pending on the main queue: every step must find it gone
// and do nothing (run under AddressSanitizer to catch a step that still touches it).
TEST_F(SessionLifetimeTest, DestroyedControllerLeavesHarmlessSteps) {
    startWith(kList);
    pasteTimes(3);                                       // finish step pending
    pressCopy();                                         // copy wait pending
    fakes.keyGrab.pressCtrl(KeyPosition::rightBracket);  // step queued, not yet run
    fakes.keyGrab.refusesInstall = true;
    controller->startFromText(kList);  // failed start: status reset pending
    fakes.keyGrab.refusesInstall = false;
    startWith(kList);
    const auto session = controller->session();
    std::weak_ptr<SessionController> weakController = controller;
    const auto writes = writeCount();

    controller.reset();
    EXPECT_TRUE(weakController.expired()) << "pending steps must not keep the controller alive";
    EXPECT_FALSE(fakes.keyGrab.isInstalled()) << "no key may reach a destroyed controller";
    fakes.clipboard.simulateCopy(kOther);
    fakes.scheduler.runUntilIdle();
    fakes.overlay.clickClose();
    session->jump(1);
    EXPECT_EQ(writeCount(), writes);
    EXPECT_EQ(clipboard(), kOther);
}

TEST_F(SessionLifetimeTest, DestroyedControllerDuringHotkeyCapture) {
    fakes.modifiers.holdFor(Delay{100'000});
    fakes.eventPoster.onCopyKeystroke = [this] {
        if (!fakes.modifiers.isHotkeyHeld()) {
            fakes.clipboard.simulateCopy(kList);
        }
    };
    controller->startSession(true);
    advance(1600);  // the first copy is waiting for the clipboard
    ASSERT_EQ(fakes.eventPoster.postCount(), 1);
    controller.reset();
    fakes.scheduler.runUntilIdle();
    EXPECT_EQ(fakes.eventPoster.postCount(), 1);
    EXPECT_EQ(fakes.keyGrab.installCount(), 0);
}

TEST_F(SessionLifetimeTest, NoLogLineCarriesItemText) {
    // A long day in one test: every path that logs, with item texts that would show up.
    startWith(kList);
    pressPaste();
    pressStepForward();
    pressPaste();
    advance(500);
    pressCopy();
    fakes.clipboard.simulateCopy("SECRET-1\tSECRET-2\nSECRET-3\tSECRET-4");
    advance(20);
    controller->endSession(true);
    fakes.eventPoster.onCopyKeystroke = [this] { fakes.clipboard.simulateCopy(kOther); };
    controller->startSession(true);
    controller->endSession(true);
    fakes.selection.isEmpty = true;
    controller->startSession(true);
    fakes.keyGrab.refusesInstall = true;
    startWith(kList);
    advance(5000);
    EXPECT_GE(fakes.log.entries().size(), 10U);
    // The fixture's teardown checks every line for "SECRET".
}

}  // namespace
}  // namespace pastiq::testing
