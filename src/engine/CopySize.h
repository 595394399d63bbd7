#pragma once

#include <optional>
#include <string>

#include "engine/ports/Clipboard.h"

namespace pastiq {

// The text shown for 3 s when a copy is refused for its size.
inline constexpr const char* kCopyTooLargeMessage = "Copy too large to queue";

// Why a copy is too large to queue, with its size and the limit it passes ("110000000 bytes of
// text, more than 67108864"; "at least ..." for a text that was not read); nothing when it may
// be queued.
[[nodiscard]] std::optional<std::string> whyTooLargeToQueue(const ClipboardText& copy);

}  // namespace pastiq
