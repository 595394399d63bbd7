#include "engine/ClipboardWriter.h"

#include <utility>

namespace pastiq {

void ClipboardWriter::write(const std::string& text) {
    clipboard_.writeText(text);
    // The port advances the change count before writeText returns, so this is our write's.
    ownChangeCount_ = clipboard_.changeCount();
    lastWrittenText_ = text;
}

void ClipboardWriter::writeCurrentItem(const PasteSession& session) {
    if (const QueueItem* item = session.currentItem()) {
        write(item->text());
    }
}

void ClipboardWriter::clear() {
    clipboard_.clear();
    ownChangeCount_ = clipboard_.changeCount();
}

void ClipboardWriter::noteOwnWrite(const std::string& text, std::int64_t changeCount) {
    ownChangeCount_ = changeCount;
    lastWrittenText_ = text;
}

void ClipboardWriter::ifHoldsOwnContent(std::function<void()> then) {
    if (!ownChangeCount_) {
        return;
    }
    const std::int64_t count = clipboard_.changeCount();
    if (count == *ownChangeCount_) {
        then();
        return;
    }
    // Any change while the read runs (a copy, Pastiq's own next write) means the text read no
    // longer tells what the clipboard holds.
    clipboard_.readText(
        guard_.bind([this, count, then = std::move(then)](const ClipboardText& copy) {
            if (clipboard_.changeCount() == count && isOwnWrite(copy)) {
                then();
            }
        }));
}

void ClipboardWriter::clearIfOwnContent(std::function<void()> cleared) {
    ifHoldsOwnContent([this, cleared = std::move(cleared)] {
        clear();
        if (cleared) {
            cleared();
        }
    });
}

bool ClipboardWriter::hasForeignChangeSince(std::int64_t start) const {
    const std::int64_t now = clipboard_.changeCount();
    return now != start && !(ownChangeCount_ && now == *ownChangeCount_);
}

void ClipboardWriter::readForeignCopy(CopyCompletion completion) {
    clipboard_.readText(guard_.bind([this, completion = std::move(completion)](ClipboardText copy) {
        completion(foreignCopyIn(std::move(copy)));
    }));
}

std::optional<ClipboardText> ClipboardWriter::foreignCopyIn(ClipboardText copy) const {
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
bool ClipboardWriter::isOwnWrite(const ClipboardText& copy) const {
    return lastWrittenText_ && copy.text == lastWrittenText_;
}

}  // namespace pastiq
