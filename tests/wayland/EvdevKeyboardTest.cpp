#include <libevdev/libevdev.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/wayland/EvdevKeyboard.h"
#include "platform/wayland/UinputKeyboard.h"

namespace pastiq::wayland {
namespace {

struct DeviceCase {
    const char* name;
    std::vector<unsigned> keys;
    bool isTypingKeyboard;
};

std::vector<unsigned> withLettersAndEnter(std::vector<unsigned> keys) {
    for (unsigned code = KEY_Q; code <= KEY_P; ++code) {
        keys.push_back(code);
    }
    for (unsigned code = KEY_A; code <= KEY_L; ++code) {
        keys.push_back(code);
    }
    for (unsigned code = KEY_Z; code <= KEY_M; ++code) {
        keys.push_back(code);
    }
    keys.push_back(KEY_ENTER);
    return keys;
}

TEST(EvdevKeyboardTest, HoldsOnlyDevicesThatTypeLettersAndEnter) {
    auto withoutEnter = withLettersAndEnter({});
    withoutEnter.pop_back();
    auto withoutQ = withLettersAndEnter({});
    withoutQ.erase(withoutQ.begin());
    const std::vector<DeviceCase> cases{
        {"AT Translated Set 2 keyboard", withLettersAndEnter({KEY_ESC, KEY_LEFTCTRL}), true},
        {"Logitech receiver, keys and buttons", withLettersAndEnter({BTN_LEFT, BTN_RIGHT}), true},
        {"Gaming mouse", {BTN_LEFT, BTN_RIGHT, KEY_1, KEY_2, KEY_ENTER}, false},
        {"Power Button", {KEY_POWER}, false},
        {"Numeric keypad", {KEY_KP1, KEY_KP2, KEY_KPENTER, KEY_ENTER}, false},
        {"Keyboard without Enter", withoutEnter, false},
        {"Keyboard without Q", withoutQ, false},
        {UinputKeyboard::kDeviceName, withLettersAndEnter({}), false},
    };
    for (const DeviceCase& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const std::unique_ptr<libevdev, decltype(&libevdev_free)> device(libevdev_new(),
                                                                         &libevdev_free);
        libevdev_set_name(device.get(), testCase.name);
        for (const unsigned code : testCase.keys) {
            ASSERT_EQ(libevdev_enable_event_code(device.get(), EV_KEY, code, nullptr), 0);
        }
        EXPECT_EQ(EvdevKeyboard::isTypingKeyboard(device.get()), testCase.isTypingKeyboard);
    }
}

}  // namespace
}  // namespace pastiq::wayland
