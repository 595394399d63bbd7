#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace pastiq {

// A readable description turned into a name GoogleTest accepts for a parameterised case.
inline std::string testCaseName(std::string_view description) {
    std::string name(description);
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    return name;
}

}  // namespace pastiq
