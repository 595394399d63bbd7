#include "app/system/AutostartEntry.h"

#include <QStringList>

#include "app/AppId.h"
#include "app/system/ShellQuoting.h"

namespace pastiq {
namespace {

const QLatin1String kMainGroup("[Desktop Entry]");

bool disablesEntry(const QString& key, const QString& value) {
    return (key == QLatin1String("Hidden") && value == QLatin1String("true")) ||
           (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false"));
}

}  // namespace

AutostartStatus autostartStatusOfEntry(const QString& entryText) {
    bool inMainGroup = false;
    for (const QString& rawLine : entryText.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == kMainGroup;
            continue;
        }
        const qsizetype separator = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || line.startsWith(QLatin1Char('#')) || separator <= 0) {
            continue;
        }
        if (disablesEntry(line.left(separator).trimmed(), line.mid(separator + 1).trimmed())) {
            return AutostartStatus::requiresApproval;
        }
    }
    return AutostartStatus::enabled;
}

std::optional<QString> autostartEntryText(const QString& executablePath) {
    const auto exec = desktopExecQuote(executablePath);
    if (!exec) {
        return std::nullopt;
    }
    const QStringList lines = {
        kMainGroup,
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=Pastiq"),
        QStringLiteral("Comment=Paste a copied list one item at a time"),
        QStringLiteral("Exec=") + *exec,
        QStringLiteral("Icon=") + QLatin1String(kAppId),
        QStringLiteral("Terminal=false"),
        QStringLiteral("X-GNOME-Autostart-enabled=true"),
    };
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace pastiq
