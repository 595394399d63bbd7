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
    // A write the platform made for Pastiq (a paste the key gate decided), with the change
    // count it left.
    void noteOwnWrite(const std::string& text, std::int64_t changeCount);

    [[nodiscard]] std::int64_t changeCount() const { return pasteboard_.changeCount(); }
    // What the clipboard holds now.
    [[nodiscard]] ClipboardText read() { return pasteboard_.readText(); }
    // True when the clipboard still holds Pastiq's last write: nobody has changed it since, or
    // the text on it is exactly what Pastiq last wrote.
    [[nodiscard]] bool holdsOwnContent();
    // The copy someone other than Pastiq made after `start`: non-empty text, or a text too
    // large to read. Found with one read, and that read is what the caller gets, so the text
    // checked is the text used. Nothing while the clipboard holds no such copy.
    [[nodiscard]] std::optional<ClipboardText> foreignCopySince(std::int64_t start);

  private:
    [[nodiscard]] bool isOwnWrite(const ClipboardText& copy) const;

    Pasteboard& pasteboard_;
    std::optional<std::int64_t> ownChangeCount_;
    std::optional<std::string> lastWrittenText_;
};

}  // namespace pastiq
