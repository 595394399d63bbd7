#include "fakes/FakePasteboard.h"

#include <utility>

namespace pastiq::testing {

ClipboardText FakePasteboard::readText() {
    ++readCount_;
    if (onRead) {
        onRead();
    }
    return {text_, tooLargeBytes_};
}

void FakePasteboard::writeText(const std::string& text) {
    ++changeCount_;
    text_ = text;
    tooLargeBytes_ = 0;
    history_.emplace_back(text);
}

void FakePasteboard::clear() {
    ++changeCount_;
    text_.reset();
    tooLargeBytes_ = 0;
    history_.emplace_back(std::nullopt);
}

void FakePasteboard::simulateCopy(std::optional<std::string> text) {
    ++changeCount_;
    text_ = std::move(text);
    tooLargeBytes_ = 0;
}

void FakePasteboard::simulateTooLargeCopy(std::uint64_t bytes) {
    ++changeCount_;
    text_.reset();
    tooLargeBytes_ = bytes;
}

}  // namespace pastiq::testing
