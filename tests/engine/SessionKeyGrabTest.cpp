#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/SessionKeyGrab.h"
#include "fakes/FakeKeyGrab.h"
#include "fakes/ManualScheduler.h"

namespace pastiq::testing {
namespace {

class SessionKeyGrabTest : public ::testing::Test {
  protected:
    SessionKeyGrabTest() {
        grab.onPasteKey = [this] { calls.emplace_back("V"); };
        grab.onCopyKey = [this] { calls.emplace_back("C"); };
        grab.onStepBackward = [this] { calls.emplace_back("["); };
        grab.onStepForward = [this] { calls.emplace_back("]"); };
    }

    FakeKeyGrab backend;
    ManualScheduler scheduler;
    SessionKeyGrab grab{backend, scheduler};
    std::vector<std::string> calls;
};

struct VerdictCase {
    const char* name;
    KeyEvent event;
    KeyVerdict verdict;
    const char* callback;  // "" when none runs
    bool synchronous;
};

constexpr Modifiers kCtrl{.ctrl = true};
constexpr Modifiers kCtrlShift{.ctrl = true, .shift = true};
constexpr Modifiers kCtrlAlt{.ctrl = true, .alt = true};
constexpr Modifiers kCtrlSuper{.ctrl = true, .super = true};

class VerdictTableTest : public SessionKeyGrabTest,
                         public ::testing::WithParamInterface<VerdictCase> {};

TEST_P(VerdictTableTest, RecognisesOnlyPlainCtrlShortcuts) {
    const VerdictCase& c = GetParam();
    ASSERT_TRUE(grab.install());
    EXPECT_EQ(backend.press(c.event), c.verdict);
    const std::vector<std::string> expected =
        *c.callback ? std::vector<std::string>{c.callback} : std::vector<std::string>{};
    if (c.synchronous) {
        EXPECT_EQ(calls, expected) << "must run before the verdict";
    } else {
        EXPECT_TRUE(calls.empty()) << "must be queued, not run inside the key handling";
        scheduler.runReady();
        EXPECT_EQ(calls, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, VerdictTableTest,
    ::testing::Values(
        VerdictCase{"CtrlV", {KeyPosition::v, kCtrl}, KeyVerdict::passOn, "V", true},
        VerdictCase{"CtrlC", {KeyPosition::c, kCtrl}, KeyVerdict::passOn, "C", false},
        VerdictCase{
            "CtrlLeftBracket", {KeyPosition::leftBracket, kCtrl}, KeyVerdict::consume, "[", false},
        VerdictCase{"CtrlRightBracket",
                    {KeyPosition::rightBracket, kCtrl},
                    KeyVerdict::consume,
                    "]",
                    false},
        VerdictCase{"CtrlShiftV", {KeyPosition::v, kCtrlShift}, KeyVerdict::passOn, "", true},
        VerdictCase{"CtrlAltV", {KeyPosition::v, kCtrlAlt}, KeyVerdict::passOn, "", true},
        VerdictCase{"CtrlSuperV", {KeyPosition::v, kCtrlSuper}, KeyVerdict::passOn, "", true},
        VerdictCase{"CtrlVRepeat", {KeyPosition::v, kCtrl, true}, KeyVerdict::passOn, "", true},
        VerdictCase{"PlainV", {KeyPosition::v, {}}, KeyVerdict::passOn, "", true},
        VerdictCase{"CtrlAltC", {KeyPosition::c, kCtrlAlt}, KeyVerdict::passOn, "", false},
        VerdictCase{"CtrlLeftBracketRepeat",
                    {KeyPosition::leftBracket, kCtrl, true},
                    KeyVerdict::passOn,
                    "",
                    false},
        VerdictCase{"CtrlShiftRightBracket",
                    {KeyPosition::rightBracket, kCtrlShift},
                    KeyVerdict::passOn,
                    "",
                    false},
        VerdictCase{"CtrlOtherKey", {KeyPosition::other, kCtrl}, KeyVerdict::passOn, "", false}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(SessionKeyGrabTest, AbsentCallbacksKeepTheSameVerdicts) {
    SessionKeyGrab bare(backend, scheduler);
    ASSERT_TRUE(bare.install());
    EXPECT_EQ(backend.pressCtrl(KeyPosition::v), KeyVerdict::passOn);
    EXPECT_EQ(backend.pressCtrl(KeyPosition::c), KeyVerdict::passOn);
    EXPECT_EQ(backend.pressCtrl(KeyPosition::leftBracket), KeyVerdict::consume);
    EXPECT_EQ(backend.pressCtrl(KeyPosition::rightBracket), KeyVerdict::consume);
    EXPECT_EQ(scheduler.pendingCount(), 0U);
}

TEST_F(SessionKeyGrabTest, InstallTwiceThenRemoveOnceLeavesNothingIntercepted) {
    ASSERT_TRUE(grab.install());
    ASSERT_TRUE(grab.install());
    EXPECT_EQ(backend.installCount(), 2);
    grab.remove();
    EXPECT_FALSE(grab.isInstalled());
    EXPECT_FALSE(backend.isInstalled());
    EXPECT_EQ(backend.pressCtrl(KeyPosition::rightBracket), KeyVerdict::passOn);
    scheduler.runReady();
    EXPECT_TRUE(calls.empty());
    grab.remove();  // removing again is harmless
}

// A key the key thread decided under an earlier interception can reach the main thread after a
// new one began; it must not count, nor act, as a key of the new one.
TEST(SessionKeyGrabGateKeyTest, AKeyOfAnEarlierInterceptionIsDropped) {
    struct RecordingBackend : KeyGrab {
        std::vector<Handlers> installed;
        bool install(Handlers handlers) override {
            installed.push_back(std::move(handlers));
            return true;
        }
        void remove() override {}
        void enable() override {}
    } backend;
    ManualScheduler scheduler;
    SessionKeyGrab grab(backend, scheduler);
    int taken = 0;
    grab.onGateKey = [&](const GateKey& /*key*/) { ++taken; };
    ASSERT_TRUE(grab.install());
    ASSERT_TRUE(grab.install());
    backend.installed[0].onGateKey(GateKey{});
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(grab.gateKeysReported(), 0U);
    backend.installed[1].onGateKey(GateKey{});
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(grab.gateKeysReported(), 1U);
}

TEST_F(SessionKeyGrabTest, RefusedInstallReportsFalse) {
    backend.refusesInstall = true;
    EXPECT_FALSE(grab.install());
    EXPECT_FALSE(grab.isInstalled());
}

TEST_F(SessionKeyGrabTest, DisabledInterceptionIsSwitchedBackOn) {
    ASSERT_TRUE(grab.install());
    backend.reportDisabled();
    EXPECT_EQ(backend.enableCount(), 1);
    EXPECT_TRUE(backend.isEnabled());
    EXPECT_EQ(backend.pressCtrl(KeyPosition::v), KeyVerdict::passOn);
    EXPECT_EQ(calls, std::vector<std::string>{"V"});
}

TEST_F(SessionKeyGrabTest, DisabledNoticeAfterRemovalEnablesNothing) {
    ASSERT_TRUE(grab.install());
    grab.remove();
    grab.handleDisabled();
    EXPECT_EQ(backend.enableCount(), 0);
}

TEST_F(SessionKeyGrabTest, DestroyedGrabLeavesNoHandlerBehind) {
    {
        SessionKeyGrab shortLived(backend, scheduler);
        ASSERT_TRUE(shortLived.install());
    }
    EXPECT_FALSE(backend.isInstalled());
    EXPECT_EQ(backend.pressCtrl(KeyPosition::v), KeyVerdict::passOn);
}

}  // namespace
}  // namespace pastiq::testing
