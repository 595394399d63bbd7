#include "app/system/ShellQuoting.h"

namespace pastiq {

QString posixShellQuote(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString relaunchScript(const QString& executablePath) {
    return QStringLiteral("sleep 0.5; exec ") + posixShellQuote(executablePath);
}

std::optional<QString> desktopExecQuote(const QString& path) {
    if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'))) {
        return std::nullopt;
    }
    QString argument;
    argument.reserve(path.size() + 8);
    for (const QChar character : path) {
        if (character == QLatin1Char('"') || character == QLatin1Char('`') ||
            character == QLatin1Char('$') || character == QLatin1Char('\\')) {
            argument += QLatin1Char('\\');
        } else if (character == QLatin1Char('%')) {
            argument += QLatin1Char('%');
        }
        argument += character;
    }
    // Readers undo the string value escapes before they split Exec into arguments, so every
    // backslash of the quoted argument is written twice.
    QString value = QLatin1Char('"') + argument + QLatin1Char('"');
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return value;
}

}  // namespace pastiq
