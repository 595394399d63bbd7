#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>

namespace pastiq {

using PreferenceValue = std::variant<std::string, bool>;

// The per-user preference store. Registered defaults are an in-memory fallback layer that
// answers reads of keys with no stored value; they are never written.
class PreferenceStore {
  public:
    virtual ~PreferenceStore() = default;
    virtual void registerDefaults(const std::map<std::string, PreferenceValue>& defaults) = 0;
    // The stored (or registered) text, or nothing when the key has no text value.
    [[nodiscard]] virtual std::optional<std::string> readText(const std::string& key) = 0;
    // The stored (or registered) value converted to a boolean; false when there is none.
    [[nodiscard]] virtual bool readBool(const std::string& key) = 0;
    virtual void writeText(const std::string& key, const std::string& value) = 0;
    virtual void writeBool(const std::string& key, bool value) = 0;
};

}  // namespace pastiq
