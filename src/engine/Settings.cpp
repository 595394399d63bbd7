#include "engine/Settings.h"

#include <string>

namespace pastiq {

Settings::Settings(PreferenceStore& store) : store_(store) {
    // Fallbacks only: the store answers with them while the user has stored nothing, and never
    // writes them, so a later change of default reaches users who never chose.
    store_.registerDefaults({
        {kListFinishBehaviorKey,
         PreferenceValue{std::string(rawValue(ListFinishBehavior::clearClipboard))}},
        {kShowsCountInMenuBarKey, PreferenceValue{true}},
    });
}

ListFinishBehavior Settings::listFinishBehavior() const {
    const auto raw = store_.readText(kListFinishBehaviorKey);
    if (!raw) {
        return ListFinishBehavior::clearClipboard;
    }
    return listFinishBehaviorFromRaw(*raw).value_or(ListFinishBehavior::clearClipboard);
}

void Settings::setListFinishBehavior(ListFinishBehavior behavior) {
    store_.writeText(kListFinishBehaviorKey, std::string(rawValue(behavior)));
}

bool Settings::showsCountInMenuBar() const {
    return store_.readBool(kShowsCountInMenuBarKey);
}

void Settings::setShowsCountInMenuBar(bool shows) {
    store_.writeBool(kShowsCountInMenuBarKey, shows);
}

}  // namespace pastiq
