#pragma once

#include <string_view>

namespace pastiq {

enum class LogCategory { session, permissions };
enum class LogLevel { info, error };

// Pastiq's log. Messages never contain item text.
class Log {
  public:
    virtual ~Log() = default;
    virtual void write(LogLevel level, LogCategory category, std::string_view message) = 0;

    void info(LogCategory category, std::string_view message) {
        write(LogLevel::info, category, message);
    }
    void error(LogCategory category, std::string_view message) {
        write(LogLevel::error, category, message);
    }
};

[[nodiscard]] constexpr std::string_view categoryName(LogCategory category) {
    return category == LogCategory::session ? "session" : "permissions";
}

}  // namespace pastiq
