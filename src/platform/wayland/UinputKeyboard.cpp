#include "platform/wayland/UinputKeyboard.h"

#include <unistd.h>

#include <cerrno>

namespace pastiq::wayland {
namespace {

input_event eventOf(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    return event;
}

}  // namespace

UinputKeyboard::~UinputKeyboard() {
    releaseAll();
}

bool UinputKeyboard::send(const std::vector<KeyStroke>& strokes) {
    // Each stroke is its own report, as a real keyboard sends keys that change one after the
    // other; all go out in one write so nothing else lands between them.
    std::vector<input_event> events;
    events.reserve(strokes.size() * 2);
    for (const KeyStroke& stroke : strokes) {
        if (stroke.code >= KEY_CNT) {
            continue;
        }
        events.push_back(eventOf(EV_KEY, stroke.code, stroke.pressed ? 1 : 0));
        events.push_back(eventOf(EV_SYN, SYN_REPORT, 0));
        held_.set(stroke.code, stroke.pressed);
    }
    return events.empty() || write(events);
}

void UinputKeyboard::releaseAll() {
    std::vector<KeyStroke> releases;
    for (const std::uint16_t code : codesIn(held_)) {
        releases.push_back({.code = code, .pressed = false});
    }
    send(releases);
    held_.reset();
}

bool UinputKeyboard::readLeds() {
    input_event event{};
    for (;;) {
        const ssize_t got = ::read(fd_.get(), &event, sizeof event);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return errno == EAGAIN;
        }
        if (got != static_cast<ssize_t>(sizeof event)) {
            return false;
        }
        if (event.type == EV_LED && event.code < LED_CNT) {
            leds_.set(event.code, event.value != 0);
        }
    }
}

bool UinputKeyboard::write(const std::vector<input_event>& events) {
    const auto* bytes = reinterpret_cast<const char*>(events.data());
    std::size_t left = events.size() * sizeof(input_event);
    while (left > 0) {
        const ssize_t written = ::write(fd_.get(), bytes, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace pastiq::wayland
