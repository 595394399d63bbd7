#include "fakes/FakeOverlay.h"

#include <utility>

namespace pastiq::testing {

void FakeOverlay::show(std::shared_ptr<PasteSession> session) {
    ++showCount_;
    shownSession_ = std::move(session);
}

void FakeOverlay::close() {
    ++closeCount_;
    shownSession_.reset();
}

void FakeOverlay::setOnClose(std::function<void()> onClose) {
    onClose_ = std::move(onClose);
}

void FakeOverlay::clickClose() {
    // A copy, so a callback that replaces the handler cannot destroy the running one.
    if (auto onClose = onClose_) {
        onClose();
    }
}

}  // namespace pastiq::testing
