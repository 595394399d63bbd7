#include "fakes/FakeClipboard.h"

#include <utility>

namespace pastiq::testing {

void FakeClipboard::readText(ReadCompletion completion) {
    ++readCount_;
    if (onRead) {
        onRead();
    }
    if (holdsReads_) {
        heldReads_.push_back(std::move(completion));
        return;
    }
    scheduler_.runSoon(
        [completion = std::move(completion), copy = content()] { completion(copy); });
}

void FakeClipboard::releaseReads() {
    holdsReads_ = false;
    auto held = std::move(heldReads_);
    heldReads_.clear();
    for (auto& completion : held) {
        completion(content());
    }
}

void FakeClipboard::writeText(const std::string& text) {
    ++changeCount_;
    text_ = text;
    tooLargeBytes_ = 0;
    history_.emplace_back(text);
}

void FakeClipboard::clear() {
    ++changeCount_;
    text_.reset();
    tooLargeBytes_ = 0;
    history_.emplace_back(std::nullopt);
}

void FakeClipboard::simulateCopy(std::optional<std::string> text) {
    ++changeCount_;
    text_ = std::move(text);
    tooLargeBytes_ = 0;
}

void FakeClipboard::simulateTooLargeCopy(std::uint64_t bytes) {
    ++changeCount_;
    text_.reset();
    tooLargeBytes_ = bytes;
}

}  // namespace pastiq::testing
