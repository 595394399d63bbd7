#include "platform/wayland/TextTypes.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>

namespace pastiq::wayland {

namespace {

constexpr std::string_view kMarkPrefix = "application/x-pastiq-write;id=";

// Best first. Plain text/plain is UTF-8 on Wayland by custom; STRING and TEXT come from X11
// owners through XWayland, which offer UTF8_STRING beside them.
constexpr std::array<std::string_view, 3> kReadTypes{"text/plain;charset=utf-8", "UTF8_STRING",
                                                     "text/plain"};

// The process id keeps the marks of a Pastiq that ran before apart from this one's.
std::string ownMarkPrefix() {
    return std::string(kMarkPrefix) + std::to_string(getpid()) + ".";
}

}  // namespace

std::vector<std::string> offeredTypes(std::uint64_t writeId) {
    return {"text/plain;charset=utf-8",
            "text/plain",
            "UTF8_STRING",
            "TEXT",
            "STRING",
            ownMarkPrefix() + std::to_string(writeId)};
}

std::optional<std::uint64_t> markedWrite(std::string_view mimeType) {
    const std::string ownPrefix = ownMarkPrefix();
    if (!mimeType.starts_with(ownPrefix)) {
        return std::nullopt;
    }
    const std::string_view digits = mimeType.substr(ownPrefix.size());
    std::uint64_t writeId = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), writeId);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
        return std::nullopt;
    }
    return writeId;
}

std::optional<std::uint64_t> markedWrite(const std::vector<std::string>& types) {
    for (const auto& type : types) {
        if (const auto writeId = markedWrite(type)) {
            return writeId;
        }
    }
    return std::nullopt;
}

std::optional<std::string> bestTextType(const std::vector<std::string>& types) {
    for (const auto wanted : kReadTypes) {
        if (std::ranges::find(types, wanted) != types.end()) {
            return std::string(wanted);
        }
    }
    return std::nullopt;
}

}  // namespace pastiq::wayland
