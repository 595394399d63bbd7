#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/ports/Clipboard.h"
#include "model/PasteSession.h"
#include "model/StepGuard.h"

namespace pastiq {

// Pastiq's own access to the clipboard. It remembers what Pastiq itself last put there, so that
// waiting for another application's copy never mistakes Pastiq's own write (or a clipboard
// manager re-announcing that write) for a new copy, and so that delayed steps never overwrite
// or clear something the user copied in the meantime. Reads never block: their answers come
// later, and an answer that comes after the writer is gone is dropped.
class ClipboardWriter {
  public:
    using ReadCompletion = Clipboard::ReadCompletion;
    using CopyCompletion = std::function<void(std::optional<ClipboardText> copy)>;

    explicit ClipboardWriter(Clipboard& clipboard) : clipboard_(clipboard) {}

    void write(const std::string& text);
    // Writes the item the next paste takes, when there is one.
    void writeCurrentItem(const PasteSession& session);
    void clear();
    // A write the platform made for Pastiq (a paste the key gate decided), with the change
    // count it left.
    void noteOwnWrite(const std::string& text, std::int64_t changeCount);

    [[nodiscard]] std::int64_t changeCount() const { return clipboard_.changeCount(); }
    // What the clipboard holds now, answered later on the main thread.
    void read(ReadCompletion completion) { clipboard_.readText(std::move(completion)); }
    // Runs `then` when the clipboard still holds Pastiq's last write: at once when nobody has
    // changed it since, else after a read finds exactly the text Pastiq last wrote (a clipboard
    // manager re-announcing it) while nobody changed the clipboard again.
    void ifHoldsOwnContent(std::function<void()> then);
    // Clears the clipboard when it still holds Pastiq's last write (as ifHoldsOwnContent
    // decides), then runs `cleared`.
    void clearIfOwnContent(std::function<void()> cleared = {});
    // True when someone other than Pastiq has changed the clipboard after `start`.
    [[nodiscard]] bool hasForeignChangeSince(std::int64_t start) const;
    // Reads the clipboard once and hands over what another application copied: non-empty text,
    // or a text too large to read. The read is what the caller gets, so the text checked is the
    // text used. Nothing while the clipboard holds no such copy.
    void readForeignCopy(CopyCompletion completion);

  private:
    [[nodiscard]] bool isOwnWrite(const ClipboardText& copy) const;
    [[nodiscard]] std::optional<ClipboardText> foreignCopyIn(ClipboardText copy) const;

    Clipboard& clipboard_;
    std::optional<std::int64_t> ownChangeCount_;
    std::optional<std::string> lastWrittenText_;
    StepGuard guard_;
};

}  // namespace pastiq
