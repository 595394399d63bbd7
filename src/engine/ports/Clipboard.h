#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "model/QueueLimits.h"

namespace pastiq {

// What a read of the clipboard found.
struct ClipboardText {
    // The text; nothing when the clipboard holds none, or more than a read takes.
    std::optional<std::string> text;
    // For a text over the read limit: its size in bytes as far as its owner told it, else 0.
    std::uint64_t tooLargeBytes = 0;

    [[nodiscard]] static ClipboardText withText(std::string text) {
        ClipboardText copy;
        copy.text = std::move(text);
        return copy;
    }
    [[nodiscard]] static ClipboardText tooLargeOf(std::uint64_t bytes) {
        ClipboardText copy;
        copy.tooLargeBytes = bytes;
        return copy;
    }

    [[nodiscard]] bool isTooLarge() const { return tooLargeBytes > 0; }
    // The text, empty when there is none; a view, so a large text is never copied to parse.
    [[nodiscard]] std::string_view textOrEmpty() const {
        return text ? std::string_view(*text) : std::string_view();
    }
    friend bool operator==(const ClipboardText&, const ClipboardText&) = default;
};

// The system clipboard, plain text only.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // Advances whenever the clipboard's owner changes, Pastiq's own writes included. A write
    // made through this port advances it before the call returns.
    [[nodiscard]] virtual std::int64_t changeCount() const = 0;
    // A read never takes more text than this: a copy Pastiq would not queue is not fetched.
    static constexpr std::size_t kReadLimit = QueueLimits::maxTextBytes;

    using ReadCompletion = std::function<void(ClipboardText)>;
    // Asks for the current plain text, or what kept it from being read. Another application
    // answers when it likes, so the caller never waits: `completion` runs later on the main
    // thread, never inside the call, within a bounded time (an owner that does not answer in
    // time yields no text). Reads complete in the order they were asked for, each after the
    // writes made before it.
    virtual void readText(ReadCompletion completion) = 0;
    // Replaces the whole content with this text.
    virtual void writeText(const std::string& text) = 0;
    // Removes every content; a later paste inserts nothing.
    virtual void clear() = 0;
};

}  // namespace pastiq
