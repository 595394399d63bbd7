#pragma once

#include <string>
#include <string_view>

#include "engine/ports/Log.h"

namespace pastiq {

// Pastiq's log in the systemd journal, tagged with the application id and the category so
// `journalctl PASTIQ_APP_ID=... PASTIQ_CATEGORY=session` finds it. Without a journal (or with
// PASTIQ_LOG=stderr) lines go to standard error. Safe to call from any thread: the X11 thread
// logs too.
class JournalLog final : public Log {
  public:
    enum class Destination { journal, standardError };

    explicit JournalLog(Destination destination = destinationFromEnvironment());

    [[nodiscard]] static Destination destinationFromEnvironment();
    // Whether journald listens on this machine (not so in containers and most CI runners).
    [[nodiscard]] static bool isJournalRunning();
    // The line written to standard error, e.g. "pastiq[session] error: Key grab failed".
    [[nodiscard]] static std::string formatLine(LogLevel level, LogCategory category,
                                                std::string_view message);

    void write(LogLevel level, LogCategory category, std::string_view message) override;

  private:
    // False when the journal did not take the line.
    static bool sendToJournal(LogLevel level, LogCategory category, std::string_view message);

    Destination destination_;
};

}  // namespace pastiq
