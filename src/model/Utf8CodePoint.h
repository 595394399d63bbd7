#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pastiq {

// One code point read from UTF-8 text. Copied text may hold any bytes, so decoding never
// fails: an ill-formed sequence gives a negative value and the length of the bytes that make
// it up, and the caller decides what that means (not a marker character, or U+FFFD on output).
struct Utf8CodePoint {
    std::int32_t value = 0;
    std::size_t length = 0;

    // The code point starting at byte `pos`, which must lie inside `text`.
    [[nodiscard]] static Utf8CodePoint decodeAt(std::string_view text, std::size_t pos);

    [[nodiscard]] bool isValid() const { return value >= 0; }
};

}  // namespace pastiq
