#pragma once

#include <string>

namespace pastiq {

class PasteSession;

// The one-line status that `pastiq status` prints and panels such as waybar read:
// {"session":null}, or the session's counts and kind, e.g.
// {"session":{"count":3,"cursor":1,"progress":"2 of 3","kind":"list","label":"List",
// "transposed":false,"finished":false}}. Never contains item text.
[[nodiscard]] std::string sessionStatusJson(const PasteSession* session);

}  // namespace pastiq
