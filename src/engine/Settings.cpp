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
        {kAfterEachPasteKey, PreferenceValue{std::string(storedValue(AfterEachPaste::nothing))}},
    });
}

ListFinishBehavior Settings::listFinishBehavior() const {
    return readChoice(kListFinishBehaviorKey, kAllListFinishBehaviors,
                      ListFinishBehavior::clearClipboard);
}

void Settings::setListFinishBehavior(ListFinishBehavior behavior) {
    store_.writeText(kListFinishBehaviorKey, std::string(storedValue(behavior)));
}

AfterEachPaste Settings::afterEachPaste() const {
    return readChoice(kAfterEachPasteKey, kAllAfterEachPaste, AfterEachPaste::nothing);
}

void Settings::setAfterEachPaste(AfterEachPaste choice) {
    store_.writeText(kAfterEachPasteKey, std::string(storedValue(choice)));
}

bool Settings::showsCountInTray() const {
    return store_.readBool(kShowsCountInTrayKey);
}

void Settings::setShowsCountInTray(bool shows) {
    store_.writeBool(kShowsCountInTrayKey, shows);
}

}  // namespace pastiq
