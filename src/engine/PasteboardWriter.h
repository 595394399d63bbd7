#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/ports/Pasteboard.h"

namespace pastiq {

// Pastiq's own access to the clipboard. It remembers what Pastiq itself last put there, so that
// waiting for another application's copy never mistakes Pastiq's own write (or a clipboard
// manager re-announcing that write) for a new copy, and so that delayed steps never overwrite
// or clear something the user copied in the meantime.
class PasteboardWriter {
  public:
    explicit PasteboardWriter(Pasteboard& pasteboard) : pasteboard_(pasteboard) {}

    void write(const std::string& text);
    void clear();

    [[nodiscard]] std::int64_t changeCount() const { return pasteboard_.changeCount(); }
    // The plain text, or empty text when there is none.
    [[nodiscard]] std::string readTextOrEmpty();
    // True when the clipboard still holds Pastiq's last write: nobody has changed it since, or
    // the text on it is exactly what Pastiq last wrote.
    [[nodiscard]] bool holdsOwnContent();
    // True when someone other than Pastiq put non-empty text on the clipboard after `start`.
    [[nodiscard]] bool hasForeignTextSince(std::int64_t start);

  private:
    Pasteboard& pasteboard_;
    std::optional<std::int64_t> ownChangeCount_;
    std::optional<std::string> lastWrittenText_;
};

}  // namespace pastiq
