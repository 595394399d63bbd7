#include "model/Utf8CodePoint.h"

#include <unicode/utf8.h>

namespace pastiq {

Utf8CodePoint Utf8CodePoint::decodeAt(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        return {lead, 1};
    }
    // A UTF-8 sequence is at most 4 bytes, so a short window keeps ICU's int32_t offsets in
    // range whatever the text's length.
    const std::string_view window = text.substr(pos, 4);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(window.data());
    const auto length = static_cast<std::int32_t>(window.size());
    std::int32_t index = 0;
    UChar32 value = 0;
    U8_NEXT(bytes, index, length, value);
    return {value, static_cast<std::size_t>(index)};
}

}  // namespace pastiq
