#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/ports/Pasteboard.h"

namespace pastiq::testing {

// The clipboard in memory. Pastiq's writes and clears are kept in order; other applications'
// copies are simulated with simulateCopy and do not appear in the history.
class FakePasteboard : public Pasteboard {
  public:
    [[nodiscard]] std::int64_t changeCount() const override { return changeCount_; }
    [[nodiscard]] std::optional<std::string> readText() override { return text_; }
    void writeText(const std::string& text) override;
    void clear() override;

    // Another application takes the clipboard; nothing means content without plain text.
    void simulateCopy(std::optional<std::string> text);
    // A clipboard manager takes ownership with the same content.
    void simulateReannounce() { ++changeCount_; }

    [[nodiscard]] const std::optional<std::string>& text() const { return text_; }
    // Pastiq's own writes; nothing marks a clear.
    [[nodiscard]] const std::vector<std::optional<std::string>>& writeHistory() const {
        return history_;
    }

  private:
    std::int64_t changeCount_ = 1;
    std::optional<std::string> text_;
    std::vector<std::optional<std::string>> history_;
};

}  // namespace pastiq::testing
