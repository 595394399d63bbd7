#include "platform/wayland/EvdevKeyboard.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <sys/ioctl.h>

#include <array>
#include <cerrno>
#include <string_view>

#include "platform/wayland/UinputKeyboard.h"

namespace pastiq::wayland {
namespace {

constexpr std::array kLetterKeys{KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I,
                                 KEY_J, KEY_K, KEY_L, KEY_M, KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R,
                                 KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};

constexpr std::size_t kKeyBitmapBytes = (KEY_MAX / 8) + 1;

// Read and write lets Pastiq light the keyboard's lock LEDs; a device it may only read still
// works as a keyboard, without them.
int openEventDevice(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 || (errno != EACCES && errno != EPERM && errno != EROFS)) {
        return fd;
    }
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

}  // namespace

EvdevOpening EvdevKeyboard::open(const std::string& path) {
    UniqueFd fd(openEventDevice(path));
    if (!fd.valid()) {
        return {.keyboard = nullptr, .error = errno};
    }
    libevdev* device = nullptr;
    if (const int result = libevdev_new_from_fd(fd.get(), &device); result < 0) {
        return {.keyboard = nullptr, .error = -result};
    }
    if (!isTypingKeyboard(device)) {
        libevdev_free(device);
        return {.keyboard = nullptr, .error = 0};
    }
    return {.keyboard = std::make_unique<EvdevKeyboard>(std::move(fd), device), .error = 0};
}

bool EvdevKeyboard::isTypingKeyboard(const libevdev* device) {
    if (libevdev_has_event_code(device, EV_KEY, KEY_ENTER) == 0) {
        return false;
    }
    for (const int letter : kLetterKeys) {
        if (libevdev_has_event_code(device, EV_KEY, letter) == 0) {
            return false;
        }
    }
    const char* deviceName = libevdev_get_name(device);
    return deviceName == nullptr || std::string_view(deviceName) != UinputKeyboard::kDeviceName;
}

EvdevKeyboard::EvdevKeyboard(UniqueFd fd, libevdev* device) : fd_(std::move(fd)), device_(device) {}

void EvdevKeyboard::DeviceFree::operator()(libevdev* device) const {
    libevdev_free(device);
}

EvdevKeyboard::~EvdevKeyboard() {
    ungrab();
}

// After the kernel dropped events (its buffer overflowed), libevdev compares its key state
// with the kernel's and hands out the differences as events, so a release lost in the overflow
// still arrives and no key stays down on the virtual keyboard.
bool EvdevKeyboard::read(std::vector<input_event>& events) {
    unsigned mode = LIBEVDEV_READ_FLAG_NORMAL;
    for (;;) {
        input_event event{};
        const int result = libevdev_next_event(device_.get(), mode, &event);
        if (result == LIBEVDEV_READ_STATUS_SYNC && mode == LIBEVDEV_READ_FLAG_NORMAL) {
            mode = LIBEVDEV_READ_FLAG_SYNC;
        } else if (result >= 0) {
            events.push_back(event);
        } else if (result == -EAGAIN && mode == LIBEVDEV_READ_FLAG_SYNC) {
            mode = LIBEVDEV_READ_FLAG_NORMAL;
        } else if (result != -EINTR) {
            return result == -EAGAIN;
        }
    }
}

bool EvdevKeyboard::grab() {
    if (!grabbed_) {
        // EBUSY: a key remapper (keyd, kmonad, input-remapper) already holds this keyboard. Its
        // keys then reach the compositor only through the remapper's own virtual keyboard,
        // which Pastiq holds in turn, so this one counts as held.
        const int result = libevdev_grab(device_.get(), LIBEVDEV_GRAB);
        grabbed_ = result == 0 || result == -EBUSY;
    }
    return grabbed_;
}

void EvdevKeyboard::ungrab() {
    if (grabbed_) {
        libevdev_grab(device_.get(), LIBEVDEV_UNGRAB);
        grabbed_ = false;
    }
}

std::vector<std::uint16_t> EvdevKeyboard::heldKeys() {
    std::array<unsigned char, kKeyBitmapBytes> bitmap{};
    const bool fromKernel = ::ioctl(fd_.get(), EVIOCGKEY(bitmap.size()), bitmap.data()) >= 0;
    std::vector<std::uint16_t> held;
    for (unsigned code = 0; code <= KEY_MAX; ++code) {
        const bool down = fromKernel ? (bitmap.at(code / 8) & (1U << (code % 8))) != 0
                                     : libevdev_get_event_value(device_.get(), EV_KEY, code) != 0;
        if (down) {
            held.push_back(static_cast<std::uint16_t>(code));
        }
    }
    return held;
}

std::string EvdevKeyboard::name() const {
    const char* deviceName = libevdev_get_name(device_.get());
    return deviceName == nullptr ? std::string() : std::string(deviceName);
}

void EvdevKeyboard::setLed(std::uint16_t code, bool on) {
    libevdev_kernel_set_led_value(device_.get(), code, on ? LIBEVDEV_LED_ON : LIBEVDEV_LED_OFF);
}

}  // namespace pastiq::wayland
