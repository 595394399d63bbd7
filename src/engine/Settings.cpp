#include "engine/Settings.h"

#include <string>

namespace pastiq {

Settings::Settings(PreferenceStore& store) : store_(store) {
    // Fallbacks only: the store answers with them while the user has stored nothing, and never
    // writes them, so a later change of default reaches users who never chose.
    store_.registerDefaults({
        {kListFinishBehaviorKey,
         PreferenceValue{std::string(storedValue(ListFinishBehavior::clearClipboard))}},
        {kShowsCountInTrayKey, PreferenceValue{true}},
    });
}

ListFinishBehavior Settings::listFinishBehavior() const {
    const auto raw = store_.readText(kListFinishBehaviorKey);
    if (!raw) {
        return ListFinishBehavior::clearClipboard;
    }
    return listFinishBehaviorFromStored(*raw).value_or(ListFinishBehavior::clearClipboard);
}

void Settings::setListFinishBehavior(ListFinishBehavior behavior) {
    store_.writeText(kListFinishBehaviorKey, std::string(storedValue(behavior)));
}

bool Settings::showsCountInTray() const {
    return store_.readBool(kShowsCountInTrayKey);
}

void Settings::setShowsCountInTray(bool shows) {
    store_.writeBool(kShowsCountInTrayKey, shows);
}

}  // namespace pastiq
