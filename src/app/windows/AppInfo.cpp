#include "app/windows/AppInfo.h"

#include <utility>

#include "app/AppId.h"

namespace pastiq {
namespace {

constexpr const char* kBuiltInCopyright = "© 2026 The Pastiq developers";
const QLatin1String kWebsite("https://pastiq.github.io/");

#ifndef PASTIQ_COPYRIGHT
#define PASTIQ_COPYRIGHT ""
#endif

std::optional<QString> configured(const char* value) {
    // CMake leaves an undefined variable as an empty string, so empty means "not configured".
    const QString text = QString::fromUtf8(value);
    return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
}

}  // namespace

AppInfo AppInfo::from(std::optional<QString> version, std::optional<QString> build,
                      std::optional<QString> copyright) {
    AppInfo info;
    info.version = std::move(version).value_or(QStringLiteral("1.0"));
    info.build = std::move(build).value_or(QStringLiteral("1"));
    info.copyright =
        copyright && !copyright->isEmpty() ? *copyright : QString::fromUtf8(kBuiltInCopyright);
    info.websiteUrl = QUrl(kWebsite);
    return info;
}

AppInfo AppInfo::fromBuild() {
    return from(configured(kAppVersion), configured(kBuildNumber), configured(PASTIQ_COPYRIGHT));
}

QString AppInfo::websiteTitle() const {
    const QString host = websiteUrl.host();
    return host.isEmpty() ? QStringLiteral("Website") : host;
}

QString AppInfo::versionLine() const {
    return QStringLiteral("Version %1 (%2)").arg(version, build);
}

QString AppInfo::backendLine() const {
    if (backend == QLatin1String("x11")) {
        return QStringLiteral("Running on X11");
    }
    if (backend == QLatin1String("wayland")) {
        return QStringLiteral("Running on Wayland");
    }
    return backend.isEmpty() ? QString() : QStringLiteral("Running without a display");
}

}  // namespace pastiq
