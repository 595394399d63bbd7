#include "fakes/MemoryPreferenceStore.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace pastiq::testing {

namespace {

bool textToBool(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (text == "true" || text == "yes") {
        return true;
    }
    long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc{} && end == text.data() + text.size() && number != 0;
}

}  // namespace

void MemoryPreferenceStore::registerDefaults(
    const std::map<std::string, PreferenceValue>& defaults) {
    for (const auto& [key, value] : defaults) {
        defaults_[key] = value;
    }
}

const PreferenceValue* MemoryPreferenceStore::find(const std::string& key) const {
    if (auto it = stored_.find(key); it != stored_.end()) {
        return &it->second;
    }
    if (auto it = defaults_.find(key); it != defaults_.end()) {
        return &it->second;
    }
    return nullptr;
}

std::optional<std::string> MemoryPreferenceStore::readText(const std::string& key) {
    const PreferenceValue* value = find(key);
    if (value == nullptr || !std::holds_alternative<std::string>(*value)) {
        return std::nullopt;
    }
    return std::get<std::string>(*value);
}

bool MemoryPreferenceStore::readBool(const std::string& key) {
    const PreferenceValue* value = find(key);
    if (value == nullptr) {
        return false;
    }
    if (const bool* flag = std::get_if<bool>(value)) {
        return *flag;
    }
    return textToBool(std::get<std::string>(*value));
}

void MemoryPreferenceStore::writeText(const std::string& key, const std::string& value) {
    ++writeCount_;
    stored_[key] = value;
}

void MemoryPreferenceStore::writeBool(const std::string& key, bool value) {
    ++writeCount_;
    stored_[key] = value;
}

}  // namespace pastiq::testing
