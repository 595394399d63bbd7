#pragma once

#include <linux/input.h>

#include <bitset>
#include <cstdint>
#include <vector>

namespace pastiq::wayland {

// The evdev key codes held down on one device, one bit a code.
using KeyCodeSet = std::bitset<KEY_CNT>;

// The codes in `set`, lowest first.
[[nodiscard]] inline std::vector<std::uint16_t> codesIn(const KeyCodeSet& set) {
    std::vector<std::uint16_t> codes;
    for (std::size_t code = 0; code < set.size(); ++code) {
        if (set.test(code)) {
            codes.push_back(static_cast<std::uint16_t>(code));
        }
    }
    return codes;
}

}  // namespace pastiq::wayland
