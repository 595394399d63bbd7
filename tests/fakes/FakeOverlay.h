#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/ports/OverlayPresenter.h"

namespace pastiq::testing {

// Records what the overlay was asked to show and lets the test click its close button.
class FakeOverlay : public OverlayPresenter {
  public:
    void show(std::shared_ptr<PasteSession> session) override;
    void close() override;
    void setOnClose(std::function<void()> onClose) override;
    void showNotice(const std::optional<std::string>& notice) override { notice_ = notice; }
    void showAfterEachPaste(AfterEachPaste choice) override { afterEachPaste_ = choice; }

    // The user clicks the panel's close button.
    void clickClose();

    [[nodiscard]] bool isShowing() const { return shownSession_ != nullptr; }
    [[nodiscard]] const std::shared_ptr<PasteSession>& shownSession() const {
        return shownSession_;
    }
    [[nodiscard]] int showCount() const { return showCount_; }
    [[nodiscard]] const std::optional<std::string>& notice() const { return notice_; }
    [[nodiscard]] int closeCount() const { return closeCount_; }
    [[nodiscard]] AfterEachPaste afterEachPaste() const { return afterEachPaste_; }

  private:
    std::shared_ptr<PasteSession> shownSession_;
    std::function<void()> onClose_;
    std::optional<std::string> notice_;
    int showCount_ = 0;
    int closeCount_ = 0;
    AfterEachPaste afterEachPaste_ = AfterEachPaste::nothing;
};

}  // namespace pastiq::testing
