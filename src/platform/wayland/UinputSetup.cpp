#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/wayland/UinputKeyboard.h"

namespace pastiq::wayland {
namespace {

struct CodeRange {
    int first;
    int last;
};

// Every keyboard key the kernel names, without the mouse, joystick, gamepad and tablet
// buttons between them: with those, udev and libinput would take the device for a pointer or
// a joystick as well as a keyboard.
constexpr std::array kKeyboardKeys{CodeRange{KEY_ESC, KEY_MICMUTE},
                                   CodeRange{KEY_OK, BTN_DPAD_UP - 1},
                                   CodeRange{BTN_DPAD_RIGHT + 1, BTN_TRIGGER_HAPPY - 1}};

bool enableCodes(int fd) {
    // EV_REP stays off: the compositor repeats held keys itself, and a kernel repeat on top
    // would type a held key twice as fast.
    if (::ioctl(fd, UI_SET_EVBIT, EV_KEY) < 0 || ::ioctl(fd, UI_SET_EVBIT, EV_LED) < 0) {
        return false;
    }
    for (const CodeRange range : kKeyboardKeys) {
        for (int code = range.first; code <= range.last; ++code) {
            if (::ioctl(fd, UI_SET_KEYBIT, code) < 0) {
                return false;
            }
        }
    }
    for (const std::uint16_t led : UinputKeyboard::kLockLeds) {
        if (::ioctl(fd, UI_SET_LEDBIT, led) < 0) {
            return false;
        }
    }
    return true;
}

bool createDevice(int fd) {
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.version = 1;
    std::strncpy(setup.name, UinputKeyboard::kDeviceName, UINPUT_MAX_NAME_SIZE - 1);
    return ::ioctl(fd, UI_DEV_SETUP, &setup) >= 0 && ::ioctl(fd, UI_DEV_CREATE) >= 0;
}

}  // namespace

UinputOpening openUinputKeyboard() {
    UniqueFd fd(::open("/dev/uinput", O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        return {.keyboard = nullptr, .error = errno};
    }
    if (!enableCodes(fd.get()) || !createDevice(fd.get())) {
        return {.keyboard = nullptr, .error = errno};
    }
    return {.keyboard = std::make_unique<UinputKeyboard>(std::move(fd)), .error = 0};
}

}  // namespace pastiq::wayland
