#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pastiq {

// The system clipboard, plain text only.
class Pasteboard {
  public:
    virtual ~Pasteboard() = default;
    // Advances whenever the clipboard's owner changes, Pastiq's own writes included. A write
    // made through this port advances it before the call returns.
    [[nodiscard]] virtual std::int64_t changeCount() const = 0;
    // The current plain text, or nothing when the clipboard holds none.
    [[nodiscard]] virtual std::optional<std::string> readText() = 0;
    // Replaces the whole content with this text.
    virtual void writeText(const std::string& text) = 0;
    // Removes every content; a later paste inserts nothing.
    virtual void clear() = 0;
};

}  // namespace pastiq
