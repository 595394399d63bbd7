#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <tuple>
#include <vector>

#include "platform/wayland/UinputKeyboard.h"

namespace pastiq::wayland {
namespace {

// An event as (type, code, value).
using Written = std::tuple<int, int, int>;

// The virtual keyboard over one end of a socket pair; the test plays the kernel at the other.
// A closed socket raises SIGPIPE where a gone uinput device fails the write, so it is ignored.
class UinputKeyboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousPipeHandler_ = std::signal(SIGPIPE, SIG_IGN);
        std::array<int, 2> ends{};
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends.data()),
                  0);
        keyboard_ = std::make_unique<UinputKeyboard>(UniqueFd(ends[0]));
        kernel_ = UniqueFd(ends[1]);
    }
    void TearDown() override {
        keyboard_.reset();
        std::signal(SIGPIPE, previousPipeHandler_);
    }

    std::vector<Written> written() const {
        std::vector<Written> events;
        input_event event{};
        while (::read(kernel_.get(), &event, sizeof event) == sizeof event) {
            events.emplace_back(event.type, event.code, event.value);
        }
        return events;
    }

    void kernelSends(std::uint16_t type, std::uint16_t code, std::int32_t value) const {
        input_event event{};
        event.type = type;
        event.code = code;
        event.value = value;
        ASSERT_EQ(::write(kernel_.get(), &event, sizeof event), sizeof event);
    }

    void (*previousPipeHandler_)(int) = nullptr;
    UniqueFd kernel_;
    std::unique_ptr<UinputKeyboard> keyboard_;
};

TEST_F(UinputKeyboardTest, SendsEachStrokeAsAKeyEventAndItsReportInOrder) {
    ASSERT_TRUE(keyboard_->send({{KEY_LEFTCTRL, true}, {KEY_V, true}, {KEY_V, false}}));
    EXPECT_EQ(written(), (std::vector<Written>{{EV_KEY, KEY_LEFTCTRL, 1},
                                               {EV_SYN, SYN_REPORT, 0},
                                               {EV_KEY, KEY_V, 1},
                                               {EV_SYN, SYN_REPORT, 0},
                                               {EV_KEY, KEY_V, 0},
                                               {EV_SYN, SYN_REPORT, 0}}));
}

struct HeldCase {
    const char* name;
    std::vector<KeyStroke> strokes;
    std::vector<std::uint16_t> released;
};

TEST_F(UinputKeyboardTest, ReleaseAllLetsGoOfExactlyTheKeysHeld) {
    const std::vector<HeldCase> cases{
        {"nothing held writes nothing", {}, {}},
        {"pressed and released", {{KEY_A, true}, {KEY_A, false}}, {}},
        {"two held, one released", {{KEY_A, true}, {KEY_B, true}, {KEY_A, false}}, {KEY_B}},
        {"pressed twice, released once", {{KEY_C, true}, {KEY_C, true}}, {KEY_C}},
        {"modifier and letter", {{KEY_RIGHTALT, true}, {KEY_Q, true}}, {KEY_Q, KEY_RIGHTALT}},
        {"highest key code", {{KEY_MAX, true}}, {KEY_MAX}},
    };
    for (const HeldCase& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        ASSERT_TRUE(keyboard_->send(testCase.strokes));
        (void)written();
        keyboard_->releaseAll();
        std::vector<Written> expected;
        for (const std::uint16_t code : testCase.released) {
            expected.emplace_back(EV_KEY, code, 0);
            expected.emplace_back(EV_SYN, SYN_REPORT, 0);
        }
        EXPECT_EQ(written(), expected);
        keyboard_->releaseAll();
        EXPECT_TRUE(written().empty()) << "a second release repeats nothing";
    }
}

TEST_F(UinputKeyboardTest, KeepsTheLockLedsAsTheCompositorLastSetThem) {
    kernelSends(EV_LED, LED_CAPSL, 1);
    kernelSends(EV_SYN, SYN_REPORT, 0);
    kernelSends(EV_LED, LED_NUML, 1);
    kernelSends(EV_MSC, MSC_SCAN, LED_SCROLLL);
    kernelSends(EV_LED, LED_NUML, 0);
    EXPECT_TRUE(keyboard_->readLeds());
    EXPECT_TRUE(keyboard_->isLedOn(LED_CAPSL));
    EXPECT_FALSE(keyboard_->isLedOn(LED_NUML));
    EXPECT_FALSE(keyboard_->isLedOn(LED_SCROLLL)) << "only LED events light an LED";
    EXPECT_TRUE(keyboard_->readLeds()) << "nothing waiting is no failure";
}

TEST_F(UinputKeyboardTest, ReportsTheDeviceGone) {
    kernel_.reset();
    EXPECT_FALSE(keyboard_->readLeds());
    EXPECT_FALSE(keyboard_->send({{KEY_A, true}}));
}

}  // namespace
}  // namespace pastiq::wayland
