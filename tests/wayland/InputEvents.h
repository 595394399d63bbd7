#pragma once

#include <linux/input.h>

#include <cstdint>

namespace pastiq::wayland::testing {

// One EV_KEY event as a keyboard's fd delivers it: value 1 press, 0 release, 2 repeat.
inline input_event keyEvent(std::uint16_t code, std::int32_t value) {
    input_event event{};
    event.type = EV_KEY;
    event.code = code;
    event.value = value;
    return event;
}

}  // namespace pastiq::wayland::testing
