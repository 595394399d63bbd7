#include "engine/PasteboardWriter.h"

namespace pastiq {

void PasteboardWriter::write(const std::string& text) {
    pasteboard_.writeText(text);
    // The port advances the change count before writeText returns, so this is our write's.
    ownChangeCount_ = pasteboard_.changeCount();
    lastWrittenText_ = text;
}

void PasteboardWriter::clear() {
    pasteboard_.clear();
    ownChangeCount_ = pasteboard_.changeCount();
}

void PasteboardWriter::noteOwnWrite(const std::string& text, std::int64_t changeCount) {
    ownChangeCount_ = changeCount;
    lastWrittenText_ = text;
}

bool PasteboardWriter::holdsOwnContent() {
    if (!ownChangeCount_) {
        return false;
    }
    return pasteboard_.changeCount() == *ownChangeCount_ || isOwnWrite(pasteboard_.readText());
}

std::optional<ClipboardText> PasteboardWriter::foreignCopySince(std::int64_t start) {
    const std::int64_t now = pasteboard_.changeCount();
    if (now == start || (ownChangeCount_ && now == *ownChangeCount_)) {
        return std::nullopt;
    }
    ClipboardText copy = pasteboard_.readText();
    if (copy.isTooLarge()) {
        return copy;
    }
    if (!copy.text || copy.text->empty() || (ownChangeCount_ && isOwnWrite(copy))) {
        return std::nullopt;
    }
    return copy;
}

// Clipboard managers take over the clipboard with the same text right after a write; that is
// still Pastiq's item, not the user's copy.
bool PasteboardWriter::isOwnWrite(const ClipboardText& copy) const {
    return lastWrittenText_ && copy.text == lastWrittenText_;
}

}  // namespace pastiq
