#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace pastiq {

// What the session does after the last item has been pasted.
enum class ListFinishBehavior { clearClipboard, returnToFirstItem, stayOnLastItem };

inline constexpr std::array<ListFinishBehavior, 3> kAllListFinishBehaviors = {
    ListFinishBehavior::clearClipboard, ListFinishBehavior::returnToFirstItem,
    ListFinishBehavior::stayOnLastItem};

[[nodiscard]] std::string_view storedValue(ListFinishBehavior behavior);
// The case whose stored value equals the text exactly, or nothing.
[[nodiscard]] std::optional<ListFinishBehavior> listFinishBehaviorFromStored(
    std::string_view stored);

}  // namespace pastiq
