#pragma once

#include <string>
#include <string_view>

namespace pastiq {

class PasteSession;

// The one-line status that `pastiq status` prints and panels such as waybar read:
// {"session":null,"backend":"x11"}, or the session's counts and kind, e.g.
// {"session":{"count":3,"cursor":1,"progress":"2 of 3","kind":"list","label":"List",
// "transposed":false,"finished":false},"backend":"wayland"}. `backend` names the display
// backend Pastiq runs on. Never contains item text.
[[nodiscard]] std::string sessionStatusJson(const PasteSession* session, std::string_view backend);

}  // namespace pastiq
