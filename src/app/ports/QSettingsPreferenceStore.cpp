#include "app/ports/QSettingsPreferenceStore.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <cctype>

namespace pastiq {

QSettingsPreferenceStore::QSettingsPreferenceStore(const QString& filePath)
    : settings_(filePath, QSettings::IniFormat) {
    QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, [this] { reloadEditedFile(); });
    QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged,
                     [this] { reloadEditedFile(); });
    watchFile();
}

QString QSettingsPreferenceStore::defaultFilePath() {
    // GenericConfigLocation honours XDG_CONFIG_HOME and falls back to ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/pastiq/pastiq.conf");
}

bool QSettingsPreferenceStore::textAsBool(std::string_view text) {
    std::size_t at = 0;
    const auto skip = [&](auto predicate) {
        while (at < text.size() && predicate(static_cast<unsigned char>(text[at]))) {
            ++at;
        }
    };
    skip([](unsigned char c) { return std::isspace(c) != 0; });
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    skip([](unsigned char c) { return c == '0'; });
    if (at == text.size()) {
        return false;
    }
    const char first = text[at];
    return first == 'Y' || first == 'y' || first == 'T' || first == 't' ||
           (first >= '1' && first <= '9');
}

void QSettingsPreferenceStore::registerDefaults(
    const std::map<std::string, PreferenceValue>& defaults) {
    for (const auto& [key, value] : defaults) {
        defaults_.insert_or_assign(key, value);
    }
}

std::optional<std::string> QSettingsPreferenceStore::readText(const std::string& key) {
    if (auto stored = storedText(key)) {
        return stored;
    }
    const auto fallback = defaults_.find(key);
    if (fallback != defaults_.end()) {
        if (const auto* text = std::get_if<std::string>(&fallback->second)) {
            return *text;
        }
    }
    return std::nullopt;
}

bool QSettingsPreferenceStore::readBool(const std::string& key) {
    if (auto stored = storedText(key)) {
        return textAsBool(*stored);
    }
    const auto fallback = defaults_.find(key);
    if (fallback == defaults_.end()) {
        return false;
    }
    if (const auto* flag = std::get_if<bool>(&fallback->second)) {
        return *flag;
    }
    return textAsBool(std::get<std::string>(fallback->second));
}

void QSettingsPreferenceStore::writeText(const std::string& key, const std::string& value) {
    store(key, QString::fromStdString(value));
}

void QSettingsPreferenceStore::writeBool(const std::string& key, bool value) {
    store(key, value ? QStringLiteral("true") : QStringLiteral("false"));
}

std::optional<std::string> QSettingsPreferenceStore::storedText(const std::string& key) const {
    const QVariant value = settings_.value(QString::fromStdString(key));
    if (!value.isValid() || !value.canConvert<QString>()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void QSettingsPreferenceStore::store(const std::string& key, const QString& value) {
    settings_.setValue(QString::fromStdString(key), value);
    // Written at once, so a preference chosen just before a crash or a kill is kept.
    settings_.sync();
    watchFile();
}

void QSettingsPreferenceStore::reloadEditedFile() {
    settings_.sync();
    watchFile();
}

void QSettingsPreferenceStore::watchFile() {
    const QFileInfo file(settings_.fileName());
    for (const QString& path : {file.absoluteFilePath(), file.absolutePath()}) {
        if (QFileInfo::exists(path) && !watcher_.files().contains(path) &&
            !watcher_.directories().contains(path)) {
            watcher_.addPath(path);
        }
    }
}

}  // namespace pastiq
