#include "platform/x11/XkbKeyNames.h"

#include <algorithm>
#include <cstring>

#include "platform/x11/XReply.h"
#include "platform/x11/XcbXkb.h"

namespace pastiq::x11 {

std::optional<XkbKeyNames> XkbKeyNames::read(xcb_connection_t* connection) {
    const auto names = fetchReply<xcb_xkb_get_names_reply_t>(
        connection,
        xcb_xkb_get_names(connection, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_NAME_DETAIL_KEY_NAMES),
        xcb_xkb_get_names_reply);
    if (!names) {
        return std::nullopt;
    }
    xcb_xkb_get_names_value_list_t list{};
    xcb_xkb_get_names_value_list_unpack(xcb_xkb_get_names_value_list(names.get()), names->nTypes,
                                        names->indicators, names->virtualMods, names->groupNames,
                                        names->nKeys, names->nKeyAliases, names->nRadioGroups,
                                        names->which, &list);
    XkbKeyNames read;
    for (int i = 0; i < names->nKeys; ++i) {
        std::array<char, 4> name{};
        std::memcpy(name.data(), list.keyNames[i].name, name.size());
        read.keys_.emplace_back(name, static_cast<xcb_keycode_t>(names->firstKey + i));
    }
    return read;
}

xcb_keycode_t XkbKeyNames::keycodeOf(std::string_view name) const {
    const auto found = std::find_if(keys_.begin(), keys_.end(), [&](const auto& key) {
        return std::string_view(key.first.data(), strnlen(key.first.data(), key.first.size())) ==
               name;
    });
    return found == keys_.end() ? 0 : found->second;
}

}  // namespace pastiq::x11
