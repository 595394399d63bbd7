#include "app/system/JournalLog.h"

#include <systemd/sd-journal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/AppId.h"

namespace pastiq {

namespace {

// Journal priorities: informational and error.
constexpr int kPriorityInfo = 6;
constexpr int kPriorityError = 3;

std::string_view levelName(LogLevel level) {
    return level == LogLevel::info ? "info" : "error";
}

}  // namespace

JournalLog::JournalLog(Destination destination)
    : destination_(destination == Destination::journal && !isJournalRunning()
                       ? Destination::standardError
                       : destination) {}

bool JournalLog::isJournalRunning() {
    // sd_journal_send() reports success when the socket is missing, so ask for the socket.
    std::error_code error;
    return std::filesystem::exists("/run/systemd/journal/socket", error);
}

JournalLog::Destination JournalLog::destinationFromEnvironment() {
    const char* forced = std::getenv("PASTIQ_LOG");
    if (forced != nullptr && std::strcmp(forced, "stderr") == 0) {
        return Destination::standardError;
    }
    return Destination::journal;
}

std::string JournalLog::formatLine(LogLevel level, LogCategory category, std::string_view message) {
    std::string line = "pastiq[";
    line.append(categoryName(category)).append("] ").append(levelName(level)).append(": ");
    line.append(message).append("\n");
    return line;
}

void JournalLog::write(LogLevel level, LogCategory category, std::string_view message) {
    if (destination_ == Destination::journal && sendToJournal(level, category, message)) {
        return;
    }
    // One fwrite per line: stdio locks the stream, so lines from two threads never interleave.
    const std::string line = formatLine(level, category, message);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

bool JournalLog::sendToJournal(LogLevel level, LogCategory category, std::string_view message) {
    const std::string text(message);
    const std::string categoryText(categoryName(category));
    // Fails (negative errno) when journald refuses the line, e.g. when it is too large.
    return sd_journal_send("MESSAGE=%s", text.c_str(), "PRIORITY=%i",
                           level == LogLevel::info ? kPriorityInfo : kPriorityError,
                           "SYSLOG_IDENTIFIER=pastiq", "PASTIQ_APP_ID=%s", kAppId,
                           "PASTIQ_CATEGORY=%s", categoryText.c_str(), nullptr) >= 0;
}

}  // namespace pastiq
