#include "fakes/RecordingLog.h"

#include <algorithm>

namespace pastiq::testing {

std::vector<std::string> RecordingLog::messages() const {
    std::vector<std::string> result;
    result.reserve(entries_.size());
    for (const Entry& entry : entries_) {
        result.push_back(entry.message);
    }
    return result;
}

int RecordingLog::count(std::string_view message) const {
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                          [&](const Entry& e) { return e.message == message; }));
}

std::vector<std::string> RecordingLog::linesContaining(std::string_view fragment) const {
    std::vector<std::string> result;
    for (const Entry& entry : entries_) {
        if (entry.message.find(fragment) != std::string::npos) {
            result.push_back(entry.message);
        }
    }
    return result;
}

}  // namespace pastiq::testing
