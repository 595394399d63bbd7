#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/PasteEventTap.h"
#include "fakes/FakeKeyTapBackend.h"
#include "fakes/ManualScheduler.h"

namespace pastiq::testing {
namespace {

class PasteEventTapTest : public ::testing::Test {
  protected:
    PasteEventTapTest() {
        tap.onCommandV = [this] { calls.emplace_back("V"); };
        tap.onCommandC = [this] { calls.emplace_back("C"); };
        tap.onStepBackward = [this] { calls.emplace_back("["); };
        tap.onStepForward = [this] { calls.emplace_back("]"); };
    }

    FakeKeyTapBackend backend;
    ManualScheduler scheduler;
    PasteEventTap tap{backend, scheduler};
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

class VerdictTableTest : public PasteEventTapTest,
                         public ::testing::WithParamInterface<VerdictCase> {};

TEST_P(VerdictTableTest, RecognisesOnlyPlainCtrlShortcuts) {
    const VerdictCase& c = GetParam();
    ASSERT_TRUE(tap.install());
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

TEST_F(PasteEventTapTest, AbsentCallbacksKeepTheSameVerdicts) {
    PasteEventTap bare(backend, scheduler);
    ASSERT_TRUE(bare.install());
    EXPECT_EQ(backend.pressCtrl(KeyPosition::v), KeyVerdict::passOn);
    EXPECT_EQ(backend.pressCtrl(KeyPosition::c), KeyVerdict::passOn);
    EXPECT_EQ(backend.pressCtrl(KeyPosition::leftBracket), KeyVerdict::consume);
    EXPECT_EQ(backend.pressCtrl(KeyPosition::rightBracket), KeyVerdict::consume);
    EXPECT_EQ(scheduler.pendingCount(), 0U);
}

TEST_F(PasteEventTapTest, InstallTwiceThenRemoveOnceLeavesNothingIntercepted) {
    ASSERT_TRUE(tap.install());
    ASSERT_TRUE(tap.install());
    EXPECT_EQ(backend.installCount(), 2);
    tap.remove();
    EXPECT_FALSE(tap.isInstalled());
    EXPECT_FALSE(backend.isInstalled());
    EXPECT_EQ(backend.pressCtrl(KeyPosition::rightBracket), KeyVerdict::passOn);
    scheduler.runReady();
    EXPECT_TRUE(calls.empty());
    tap.remove();  // removing again is harmless
}

// A key the key thread decided under an earlier interception can reach the main thread after a
// new one began; it must not count, nor act, as a key of the new one.
TEST(PasteEventTapGateKeyTest, AKeyOfAnEarlierInterceptionIsDropped) {
    struct RecordingBackend : KeyTapBackend {
        std::vector<Handlers> installed;
        bool install(Handlers handlers) override {
            installed.push_back(std::move(handlers));
            return true;
        }
        void remove() override {}
        void enable() override {}
    } backend;
    ManualScheduler scheduler;
    PasteEventTap tap(backend, scheduler);
    int taken = 0;
    tap.onGateKey = [&](const GateKey& /*key*/) { ++taken; };
    ASSERT_TRUE(tap.install());
    ASSERT_TRUE(tap.install());
    backend.installed[0].onGateKey(GateKey{});
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(tap.gateKeysReported(), 0U);
    backend.installed[1].onGateKey(GateKey{});
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(tap.gateKeysReported(), 1U);
}

TEST_F(PasteEventTapTest, RefusedInstallReportsFalse) {
    backend.refusesInstall = true;
    EXPECT_FALSE(tap.install());
    EXPECT_FALSE(tap.isInstalled());
}

TEST_F(PasteEventTapTest, DisabledInterceptionIsSwitchedBackOn) {
    ASSERT_TRUE(tap.install());
    backend.reportDisabled();
    EXPECT_EQ(backend.enableCount(), 1);
    EXPECT_TRUE(backend.isEnabled());
    EXPECT_EQ(backend.pressCtrl(KeyPosition::v), KeyVerdict::passOn);
    EXPECT_EQ(calls, std::vector<std::string>{"V"});
}

TEST_F(PasteEventTapTest, DisabledNoticeAfterRemovalEnablesNothing) {
    ASSERT_TRUE(tap.install());
    tap.remove();
    tap.handleDisabled();
    EXPECT_EQ(backend.enableCount(), 0);
}

TEST_F(PasteEventTapTest, DestroyedTapLeavesNoHandlerBehind) {
    {
        PasteEventTap shortLived(backend, scheduler);
        ASSERT_TRUE(shortLived.install());
    }
    EXPECT_FALSE(backend.isInstalled());
    EXPECT_EQ(backend.pressCtrl(KeyPosition::v), KeyVerdict::passOn);
}

}  // namespace
}  // namespace pastiq::testing
