#pragma once

#include <QFileSystemWatcher>
#include <QSettings>
#include <QString>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "engine/ports/PreferenceStore.h"

namespace pastiq {

// Pastiq's preferences in an INI file, by default $XDG_CONFIG_HOME/pastiq/pastiq.conf.
// Registered defaults only answer reads; they are never written, so a later release can change
// a default for everyone who never chose a value. Reads are answered from memory, since the
// session reads settings while a key waits for its verdict; edits made to the file by another
// process are loaded when the file system reports them, on the main thread's event loop.
class QSettingsPreferenceStore final : public PreferenceStore {
  public:
    explicit QSettingsPreferenceStore(const QString& filePath = defaultFilePath());

    [[nodiscard]] static QString defaultFilePath();
    // Reads a stored text as a boolean the way user preferences traditionally do: true when
    // its first significant character is Y, y, T, t or a digit 1-9 (so "YES", "true", "1",
    // "007"), ignoring leading white space, a sign and zeros.
    [[nodiscard]] static bool textAsBool(std::string_view text);

    void registerDefaults(const std::map<std::string, PreferenceValue>& defaults) override;
    [[nodiscard]] std::optional<std::string> readText(const std::string& key) override;
    [[nodiscard]] bool readBool(const std::string& key) override;
    void writeText(const std::string& key, const std::string& value) override;
    void writeBool(const std::string& key, bool value) override;

  private:
    [[nodiscard]] std::optional<std::string> storedText(const std::string& key) const;
    void store(const std::string& key, const QString& value);
    void reloadEditedFile();
    // Editors replace the file rather than write it in place, which ends a watch on it.
    void watchFile();

    QSettings settings_;
    QFileSystemWatcher watcher_;
    std::map<std::string, PreferenceValue> defaults_;
};

}  // namespace pastiq
