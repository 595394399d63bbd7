#include "platform/x11/Latin1.h"

#include <cstdint>

namespace pastiq::x11 {

std::optional<std::string> latin1FromUtf8(std::string_view utf8) {
    std::string latin1;
    latin1.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        if (lead < 0x80) {
            latin1.push_back(static_cast<char>(lead));
            continue;
        }
        // Latin-1 above ASCII is exactly the two-byte sequences C2 80 .. C3 BF.
        if ((lead != 0xC2 && lead != 0xC3) || i + 1 >= utf8.size()) {
            return std::nullopt;
        }
        const auto trail = static_cast<std::uint8_t>(utf8[++i]);
        if ((trail & 0xC0) != 0x80) {
            return std::nullopt;
        }
        latin1.push_back(static_cast<char>(((lead & 0x03) << 6) | (trail & 0x3F)));
    }
    return latin1;
}

std::string utf8FromLatin1(std::string_view latin1) {
    std::string utf8;
    utf8.reserve(latin1.size() * 2);
    for (const char byte : latin1) {
        const auto code = static_cast<std::uint8_t>(byte);
        if (code < 0x80) {
            utf8.push_back(byte);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return utf8;
}

}  // namespace pastiq::x11
