#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pastiq::wayland {

// The MIME types of Pastiq's clipboard text: the ones applications ask for plain text by, all
// served with the same UTF-8 bytes as Wayland clipboard tools do, and a mark naming the write,
// so the compositor's report of it is known as Pastiq's own.
[[nodiscard]] std::vector<std::string> offeredTypes(std::uint64_t writeId);
// The write a type marks, if it is Pastiq's mark.
[[nodiscard]] std::optional<std::uint64_t> markedWrite(std::string_view mimeType);
// The write the offer's types mark, if any.
[[nodiscard]] std::optional<std::uint64_t> markedWrite(const std::vector<std::string>& types);
// The type to read an offer's plain text in: UTF-8 first; nothing when it has no text.
[[nodiscard]] std::optional<std::string> bestTextType(const std::vector<std::string>& types);

}  // namespace pastiq::wayland
