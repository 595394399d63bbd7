#pragma once

#include <xcb/xcb.h>

#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace pastiq::x11 {

// The keymap's XKB key names ("AB03", "LCTL", ...): physical positions, the same whatever the
// layout maps them to.
class XkbKeyNames {
  public:
    static std::optional<XkbKeyNames> read(xcb_connection_t* connection);
    // 0 when the keymap has no key of that name.
    [[nodiscard]] xcb_keycode_t keycodeOf(std::string_view name) const;

  private:
    std::vector<std::pair<std::array<char, 4>, xcb_keycode_t>> keys_;
};

}  // namespace pastiq::x11
