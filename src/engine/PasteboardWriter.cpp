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

std::string PasteboardWriter::readTextOrEmpty() {
    return pasteboard_.readText().value_or("");
}

bool PasteboardWriter::holdsOwnContent() {
    if (!ownChangeCount_) {
        return false;
    }
    if (pasteboard_.changeCount() == *ownChangeCount_) {
        return true;
    }
    // Clipboard managers take over the clipboard with the same text right after a write;
    // that is still Pastiq's item, not the user's copy.
    return lastWrittenText_ && pasteboard_.readText() == lastWrittenText_;
}

bool PasteboardWriter::hasForeignTextSince(std::int64_t start) {
    if (pasteboard_.changeCount() == start) {
        return false;
    }
    const auto text = pasteboard_.readText();
    return text && !text->empty() && !holdsOwnContent();
}

}  // namespace pastiq
