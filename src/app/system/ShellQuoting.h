#pragma once

#include <QString>
#include <optional>

namespace pastiq {

// Quotes a text as one word for a POSIX shell: every ' becomes '\'' and the whole is put in
// single quotes, so no character of the text is interpreted by the shell.
[[nodiscard]] QString posixShellQuote(const QString& text);

// The /bin/sh script that starts the executable afresh once this process has gone: it waits
// half a second and then replaces the shell by the program.
[[nodiscard]] QString relaunchScript(const QString& executablePath);

// Quotes a path as one argument of a desktop entry's Exec key: in double quotes with ", `, $
// and \ escaped, then with backslashes doubled again as the string value format requires and %
// doubled because Exec gives it a meaning of its own. Nothing when the path cannot be written
// on one line of a desktop entry.
[[nodiscard]] std::optional<QString> desktopExecQuote(const QString& path);

}  // namespace pastiq
