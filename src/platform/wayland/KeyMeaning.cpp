#include "platform/wayland/KeyMeaning.h"

#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <limits>

namespace pastiq::wayland {
namespace {

// xkb numbers keys as the X server did: the evdev code plus 8.
constexpr xkb_keycode_t kEvdevOffset = 8;
// Only the plain and shifted levels tell whether a group is a Latin one: layouts such as
// Russian may type Latin letters behind AltGr.
constexpr xkb_level_index_t kLatinLevels = 2;
constexpr xkb_level_index_t kNoLevel = std::numeric_limits<xkb_level_index_t>::max();

xkb_keysym_t lowerLatin(xkb_keysym_t keysym) {
    return keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z ? keysym - XKB_KEY_A + XKB_KEY_a : keysym;
}

bool isLatinLetter(xkb_keysym_t keysym) {
    const xkb_keysym_t lower = lowerLatin(keysym);
    return lower >= XKB_KEY_a && lower <= XKB_KEY_z;
}

// The key typing `letter` at the lowest level wins: it is the one an application matches
// before any key typing the letter only with Shift or AltGr.
struct LetterSearch {
    xkb_keysym_t letter;
    xkb_level_index_t level = kNoLevel;
    xkb_keycode_t key = 0;

    void offer(xkb_keycode_t candidate, xkb_level_index_t candidateLevel, xkb_keysym_t keysym) {
        if (lowerLatin(keysym) == letter && candidateLevel < level) {
            level = candidateLevel;
            key = candidate;
        }
    }
    [[nodiscard]] std::uint16_t evdevCode() const {
        return key >= kEvdevOffset ? static_cast<std::uint16_t>(key - kEvdevOffset) : 0;
    }
};

}  // namespace

KeyMeaning::KeyMeaning()
    : context_(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES), xkb_context_unref),
      keymap_(nullptr, xkb_keymap_unref),
      state_(nullptr, xkb_state_unref) {
    if (context_) {
        // A keymap that does not compile is reported through the log by the caller.
        xkb_context_set_log_level(context_.get(), XKB_LOG_LEVEL_CRITICAL);
    }
}

KeyMeaning::~KeyMeaning() = default;

bool KeyMeaning::setKeymap(const std::string& text, const std::vector<std::uint16_t>& heldCodes) {
    if (!context_) {
        return false;
    }
    std::unique_ptr<xkb_keymap, void (*)(xkb_keymap*)> keymap(
        xkb_keymap_new_from_string(context_.get(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                   XKB_KEYMAP_COMPILE_NO_FLAGS),
        xkb_keymap_unref);
    if (!keymap) {
        return false;
    }
    std::unique_ptr<xkb_state, void (*)(xkb_state*)> state(xkb_state_new(keymap.get()),
                                                           xkb_state_unref);
    if (!state) {
        return false;
    }
    const xkb_layout_index_t groupCount = xkb_keymap_num_layouts(keymap.get());
    std::vector<LetterKeys> groups(groupCount);
    for (xkb_layout_index_t group = 0; group < groupCount; ++group) {
        LetterSearch c{XKB_KEY_c};
        LetterSearch v{XKB_KEY_v};
        for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap.get());
             key <= xkb_keymap_max_keycode(keymap.get()); ++key) {
            const xkb_layout_index_t keyGroups = xkb_keymap_num_layouts_for_key(keymap.get(), key);
            if (keyGroups == 0) {
                continue;
            }
            // A key with fewer groups than the keymap types its wrapped group's symbols.
            const xkb_layout_index_t keyGroup = group % keyGroups;
            const xkb_level_index_t levels =
                xkb_keymap_num_levels_for_key(keymap.get(), key, keyGroup);
            for (xkb_level_index_t level = 0; level < levels; ++level) {
                const xkb_keysym_t* syms = nullptr;
                if (xkb_keymap_key_get_syms_by_level(keymap.get(), key, keyGroup, level, &syms) !=
                    1) {
                    continue;
                }
                c.offer(key, level, syms[0]);
                v.offer(key, level, syms[0]);
                groups[group].typesLatin |= level < kLatinLevels && isLatinLetter(syms[0]);
            }
        }
        groups[group].c = c.evdevCode();
        groups[group].v = v.evdevCode();
    }
    for (const std::uint16_t code : heldCodes) {
        xkb_state_update_key(state.get(), code + kEvdevOffset, XKB_KEY_DOWN);
    }
    ctrl_ = xkb_keymap_mod_get_index(keymap.get(), XKB_MOD_NAME_CTRL);
    shift_ = xkb_keymap_mod_get_index(keymap.get(), XKB_MOD_NAME_SHIFT);
    alt_ = xkb_keymap_mod_get_index(keymap.get(), XKB_MOD_NAME_ALT);
    super_ = xkb_keymap_mod_get_index(keymap.get(), XKB_MOD_NAME_LOGO);
    groups_ = std::move(groups);
    state_ = std::move(state);
    keymap_ = std::move(keymap);
    return true;
}

KeyMeaning::LetterKeys KeyMeaning::letterKeys() const {
    LetterKeys found;
    if (state_ && !groups_.empty()) {
        // Shortcuts follow the active group where it types Latin letters, else the first group
        // that does (a Russian group pastes with the English group's V), as GTK and Qt match.
        const xkb_layout_index_t active =
            xkb_state_serialize_layout(state_.get(), XKB_STATE_LAYOUT_EFFECTIVE);
        const auto latin = std::find_if(groups_.begin(), groups_.end(),
                                        [](const LetterKeys& group) { return group.typesLatin; });
        if (active < groups_.size() && groups_[active].typesLatin) {
            found = groups_[active];
        } else if (latin != groups_.end()) {
            found = *latin;
        }
    }
    // Where no group types the letter, the QWERTY position stands in, as Qt falls back to it.
    found.c = found.c != 0 ? found.c : KEY_C;
    found.v = found.v != 0 ? found.v : KEY_V;
    return found;
}

KeyEvent KeyMeaning::pressOf(std::uint16_t code) const {
    KeyEvent event;
    event.modifiers = modifiers();
    const LetterKeys letters = letterKeys();
    if (code == letters.v) {
        event.key = KeyPosition::v;
    } else if (code == letters.c) {
        event.key = KeyPosition::c;
    } else if (code == KEY_LEFTBRACE) {
        event.key = KeyPosition::leftBracket;
    } else if (code == KEY_RIGHTBRACE) {
        event.key = KeyPosition::rightBracket;
    }
    return event;
}

void KeyMeaning::update(std::uint16_t code, bool pressed) {
    if (state_) {
        xkb_state_update_key(state_.get(), code + kEvdevOffset,
                             pressed ? XKB_KEY_DOWN : XKB_KEY_UP);
    }
}

bool KeyMeaning::isShortcutModifier(std::uint16_t code) const {
    if (!keymap_) {
        return false;
    }
    // What the key sets while held, found on a state of its own: a locking key (Caps Lock)
    // sets nothing while held.
    const std::unique_ptr<xkb_state, void (*)(xkb_state*)> scratch(xkb_state_new(keymap_.get()),
                                                                   xkb_state_unref);
    if (!scratch) {
        return false;
    }
    xkb_state_update_key(scratch.get(), code + kEvdevOffset, XKB_KEY_DOWN);
    const xkb_mod_mask_t held = xkb_state_serialize_mods(scratch.get(), XKB_STATE_MODS_DEPRESSED);
    xkb_mod_mask_t shortcut = 0;
    for (const std::uint32_t modifier : {ctrl_, shift_, alt_, super_}) {
        if (modifier != XKB_MOD_INVALID) {
            shortcut |= 1U << modifier;
        }
    }
    return (held & shortcut) != 0;
}

bool KeyMeaning::isActive(std::uint32_t modifier) const {
    return modifier != XKB_MOD_INVALID &&
           xkb_state_mod_index_is_active(state_.get(), modifier, XKB_STATE_MODS_EFFECTIVE) > 0;
}

Modifiers KeyMeaning::modifiers() const {
    if (!state_) {
        return {};
    }
    return Modifiers{isActive(ctrl_), isActive(shift_), isActive(alt_), isActive(super_)};
}

}  // namespace pastiq::wayland
