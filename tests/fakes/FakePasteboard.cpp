#include "fakes/FakePasteboard.h"

#include <utility>

namespace pastiq::testing {

void FakePasteboard::writeText(const std::string& text) {
    ++changeCount_;
    text_ = text;
    history_.emplace_back(text);
}

void FakePasteboard::clear() {
    ++changeCount_;
    text_.reset();
    history_.emplace_back(std::nullopt);
}

void FakePasteboard::simulateCopy(std::optional<std::string> text) {
    ++changeCount_;
    text_ = std::move(text);
}

}  // namespace pastiq::testing
