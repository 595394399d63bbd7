#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/ports/Log.h"

namespace pastiq::testing {

// Keeps every log line in order.
class RecordingLog : public Log {
  public:
    struct Entry {
        LogLevel level;
        LogCategory category;
        std::string message;
    };

    void write(LogLevel level, LogCategory category, std::string_view message) override {
        entries_.push_back(Entry{level, category, std::string(message)});
    }

    [[nodiscard]] const std::vector<Entry>& entries() const { return entries_; }
    [[nodiscard]] std::vector<std::string> messages() const;
    [[nodiscard]] int count(std::string_view message) const;
    // Lines whose message contains `fragment` anywhere.
    [[nodiscard]] std::vector<std::string> linesContaining(std::string_view fragment) const;
    void clear() { entries_.clear(); }

  private:
    std::vector<Entry> entries_;
};

}  // namespace pastiq::testing
