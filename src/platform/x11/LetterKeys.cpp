#include "platform/x11/LetterKeys.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <memory>

namespace pastiq::x11 {
namespace {

// The Latin letter keysyms are their ASCII codes.
constexpr std::uint32_t kUpperToLower = 'a' - 'A';
// Layouts such as Russian may put Latin letters behind AltGr; only the plain and shifted
// levels decide whether a group is a Latin one.
constexpr std::size_t kLatinLevels = 2;

std::uint32_t lowercase(std::uint32_t keysym) {
    return keysym >= 'A' && keysym <= 'Z' ? keysym + kUpperToLower : keysym;
}

bool isLatinLetter(std::uint32_t keysym) {
    const std::uint32_t lower = lowercase(keysym);
    return lower >= 'a' && lower <= 'z';
}

bool typesLatinLetters(const LetterKeys::Group& group) {
    return std::any_of(group.begin(), group.end(), [](const KeySyms& key) {
        const auto plainLevels =
            static_cast<std::ptrdiff_t>(std::min(key.levels.size(), kLatinLevels));
        return std::any_of(key.levels.begin(), key.levels.begin() + plainLevels, isLatinLetter);
    });
}

// The lowest level wins: a key typing the letter unshifted is the one an application matches
// before any key that types it only with Shift or AltGr.
xcb_keycode_t keyTyping(const LetterKeys::Group& group, std::uint32_t letter) {
    std::size_t levels = 0;
    for (const auto& key : group) {
        levels = std::max(levels, key.levels.size());
    }
    for (std::size_t level = 0; level < levels; ++level) {
        const auto found = std::find_if(group.begin(), group.end(), [&](const KeySyms& key) {
            return level < key.levels.size() && lowercase(key.levels[level]) == letter;
        });
        if (found != group.end()) {
            return found->keycode;
        }
    }
    return 0;
}

KeySyms symsOf(xkb_keymap* keymap, xkb_keycode_t keycode, xkb_layout_index_t layout) {
    KeySyms key{static_cast<xcb_keycode_t>(keycode), {}};
    const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, keycode, layout);
    for (xkb_level_index_t level = 0; level < levels; ++level) {
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, layout, level, &syms);
        key.levels.push_back(count == 1 ? syms[0] : XKB_KEY_NoSymbol);
    }
    return key;
}

}  // namespace

const LetterKeys::Group* LetterKeys::shortcutGroup(std::uint8_t activeGroup) const {
    if (groups_.empty()) {
        return nullptr;
    }
    // The server keeps the group within range; XKB's default for one beyond it is to wrap.
    const Group& active = groups_[activeGroup % groups_.size()];
    if (typesLatinLetters(active)) {
        return &active;
    }
    const auto latin = std::find_if(groups_.begin(), groups_.end(), typesLatinLetters);
    return latin == groups_.end() ? nullptr : &*latin;
}

xcb_keycode_t LetterKeys::keyFor(std::uint32_t letter, std::uint8_t activeGroup) const {
    const Group* group = shortcutGroup(activeGroup);
    return group == nullptr ? 0 : keyTyping(*group, letter);
}

std::optional<LetterKeys> LetterKeys::read(xcb_connection_t* connection) {
    const std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(
        xkb_context_new(static_cast<xkb_context_flags>(XKB_CONTEXT_NO_DEFAULT_INCLUDES |
                                                       XKB_CONTEXT_NO_ENVIRONMENT_NAMES)),
        xkb_context_unref);
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (!context || device < 0) {
        return std::nullopt;
    }
    const std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap(
        xkb_x11_keymap_new_from_device(context.get(), connection, device,
                                       XKB_KEYMAP_COMPILE_NO_FLAGS),
        xkb_keymap_unref);
    if (!keymap) {
        return std::nullopt;
    }
    const xkb_layout_index_t groupCount = xkb_keymap_num_layouts(keymap.get());
    std::vector<Group> groups(groupCount);
    for (xkb_keycode_t keycode = xkb_keymap_min_keycode(keymap.get());
         keycode <= xkb_keymap_max_keycode(keymap.get()); ++keycode) {
        const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap.get(), keycode);
        for (xkb_layout_index_t group = 0; layouts > 0 && group < groupCount; ++group) {
            // A key with fewer groups than the keymap types its wrapped group's symbols.
            groups[group].push_back(symsOf(keymap.get(), keycode, group % layouts));
        }
    }
    return LetterKeys(std::move(groups));
}

}  // namespace pastiq::x11
