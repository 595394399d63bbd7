#pragma once

#include "engine/ListFinishBehavior.h"
#include "engine/ports/PreferenceStore.h"

namespace pastiq {

// Pastiq's two preferences, read from the store on every use and never cached.
class Settings {
  public:
    static constexpr const char* kListFinishBehaviorKey = "listFinishBehavior";
    static constexpr const char* kShowsCountInTrayKey = "showsCountInMenuBar";

    // Registers the fallback defaults with the store.
    explicit Settings(PreferenceStore& store);

    [[nodiscard]] ListFinishBehavior listFinishBehavior() const;
    void setListFinishBehavior(ListFinishBehavior behavior);
    [[nodiscard]] bool showsCountInTray() const;
    void setShowsCountInTray(bool shows);

  private:
    PreferenceStore& store_;
};

}  // namespace pastiq
