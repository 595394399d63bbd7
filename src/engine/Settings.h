#pragma once

#include "engine/AfterEachPaste.h"
#include "engine/ListFinishBehavior.h"
#include "engine/StoredChoice.h"
#include "engine/ports/PreferenceStore.h"

namespace pastiq {

// Pastiq's preferences, read from the store on every use and never cached.
class Settings {
  public:
    static constexpr const char* kListFinishBehaviorKey = "listFinishBehavior";
    static constexpr const char* kShowsCountInTrayKey = "showsCountInMenuBar";
    static constexpr const char* kAfterEachPasteKey = "afterEachPaste";

    // Registers the fallback defaults with the store.
    explicit Settings(PreferenceStore& store);

    [[nodiscard]] ListFinishBehavior listFinishBehavior() const;
    void setListFinishBehavior(ListFinishBehavior behavior);
    // Anything stored that is not one of the choices acts as nothing.
    [[nodiscard]] AfterEachPaste afterEachPaste() const;
    void setAfterEachPaste(AfterEachPaste choice);
    [[nodiscard]] bool showsCountInTray() const;
    void setShowsCountInTray(bool shows);

  private:
    // The stored choice, or `fallback` when nothing or something unknown is stored.
    template <typename Choice, std::size_t Count>
    [[nodiscard]] Choice readChoice(const char* key, const std::array<Choice, Count>& all,
                                    Choice fallback) const {
        const auto raw = store_.readText(key);
        return raw ? choiceFromStored(all, *raw).value_or(fallback) : fallback;
    }

    PreferenceStore& store_;
};

}  // namespace pastiq
