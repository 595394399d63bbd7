#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace pastiq {

// The choice among `all` whose stored value (storedValue) equals the text exactly, or nothing.
template <typename Choice, std::size_t Count>
[[nodiscard]] std::optional<Choice> choiceFromStored(const std::array<Choice, Count>& all,
                                                     std::string_view stored) {
    for (const Choice choice : all) {
        if (storedValue(choice) == stored) {
            return choice;
        }
    }
    return std::nullopt;
}

}  // namespace pastiq
