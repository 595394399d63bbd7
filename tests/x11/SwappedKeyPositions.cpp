#include "SwappedKeyPositions.h"

#include <unistd.h>

#include <fstream>
#include <optional>
#include <regex>
#include <utility>

#include "X11Fixture.h"

namespace pastiq::testing {
namespace {

// The keymap's "<NAME> = 55;" line for a key, with the keycode as the second group.
std::regex keycodeLine(std::string_view name) {
    return std::regex("(<" + std::string(name) + ">\\s*=\\s*)([0-9]+)");
}

// Where a key's keycode stands in the keymap text.
struct KeycodeSpan {
    std::size_t position;
    std::size_t length;
    std::string code;
};

std::optional<KeycodeSpan> findKeycode(const std::string& keymap, std::string_view name) {
    std::smatch match;
    if (!std::regex_search(keymap, match, keycodeLine(name))) {
        return std::nullopt;
    }
    return KeycodeSpan{static_cast<std::size_t>(match.position(2)),
                       static_cast<std::size_t>(match.length(2)), match[2]};
}

std::string swapKeycodes(std::string keymap, std::string_view first, std::string_view second) {
    auto earlier = findKeycode(keymap, first);
    auto later = findKeycode(keymap, second);
    if (!earlier || !later) {
        return {};
    }
    if (earlier->position > later->position) {
        std::swap(earlier, later);
    }
    // The later one first, so that the earlier position still holds.
    keymap.replace(later->position, later->length, earlier->code);
    keymap.replace(earlier->position, earlier->length, later->code);
    return keymap;
}

}  // namespace

SwappedKeyPositions::SwappedKeyPositions(std::string_view first, std::string_view second) {
    const auto folder = std::filesystem::temp_directory_path();
    const std::string stem = "pastiq-keymap-" + std::to_string(getpid());
    original_ = folder / (stem + "-original.xkb");
    swapped_ = folder / (stem + "-swapped.xkb");
    const std::string keymap = readShell("xkbcomp -w 0 -xkb \"$DISPLAY\" -");
    const std::string swapped = swapKeycodes(keymap, first, second);
    if (swapped.empty()) {
        return;
    }
    std::ofstream(original_) << keymap;
    std::ofstream(swapped_) << swapped;
    loaded_ = load(swapped_);
}

SwappedKeyPositions::~SwappedKeyPositions() {
    if (loaded_) {
        load(original_);
    }
    std::error_code ignored;
    std::filesystem::remove(original_, ignored);
    std::filesystem::remove(swapped_, ignored);
}

bool SwappedKeyPositions::load(const std::filesystem::path& keymap) {
    return runShell("xkbcomp -w 0 '" + keymap.string() + "' \"$DISPLAY\"") == 0;
}

}  // namespace pastiq::testing
