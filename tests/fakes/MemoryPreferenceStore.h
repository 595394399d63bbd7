#pragma once

#include <map>
#include <optional>
#include <string>

#include "engine/ports/PreferenceStore.h"

namespace pastiq::testing {

// Preferences in memory: a registered-defaults layer that is never written, under the values
// written through the store. Booleans read from text follow the usual conversion ("true",
// "yes" or a non-zero number).
class MemoryPreferenceStore : public PreferenceStore {
  public:
    void registerDefaults(const std::map<std::string, PreferenceValue>& defaults) override;
    [[nodiscard]] std::optional<std::string> readText(const std::string& key) override;
    [[nodiscard]] bool readBool(const std::string& key) override;
    void writeText(const std::string& key, const std::string& value) override;
    void writeBool(const std::string& key, bool value) override;

    // What a previous run left in the store.
    void preload(const std::string& key, PreferenceValue value) { stored_[key] = std::move(value); }

    [[nodiscard]] const std::map<std::string, PreferenceValue>& stored() const { return stored_; }
    [[nodiscard]] const std::map<std::string, PreferenceValue>& registeredDefaults() const {
        return defaults_;
    }
    [[nodiscard]] int writeCount() const { return writeCount_; }

  private:
    [[nodiscard]] const PreferenceValue* find(const std::string& key) const;

    std::map<std::string, PreferenceValue> defaults_;
    std::map<std::string, PreferenceValue> stored_;
    int writeCount_ = 0;
};

}  // namespace pastiq::testing
