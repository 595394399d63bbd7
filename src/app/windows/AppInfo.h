#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace pastiq {

// The facts the About window shows. Built from the values the build configured; a value the
// build left out falls back to a sensible default.
struct AppInfo {
    QString version;
    QString build;
    QString copyright;
    QUrl websiteUrl;
    // The display backend Pastiq runs on ("x11", "wayland", "none"); empty leaves it unsaid.
    QString backend;

    // Missing version or build give "1.0" and "1"; an empty one is kept as it is. A missing or
    // empty copyright gives the built-in notice.
    static AppInfo from(std::optional<QString> version, std::optional<QString> build,
                        std::optional<QString> copyright);
    static AppInfo fromBuild();

    // The link title: the website's host name, or "Website" when it has none.
    [[nodiscard]] QString websiteTitle() const;
    // "Version 0.1.0 (1)"
    [[nodiscard]] QString versionLine() const;
    // "Running on Wayland", "Running on X11", "Running without a display"; empty when the
    // backend is unsaid.
    [[nodiscard]] QString backendLine() const;
};

}  // namespace pastiq
