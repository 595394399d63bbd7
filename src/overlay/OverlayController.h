#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>

#include "engine/ports/OverlayPresenter.h"
#include "engine/ports/WindowSystem.h"
#include "model/StepGuard.h"

namespace pastiq {

class OverlayPanel;
class OverlayView;

// Shows the running session in the floating panel and hides it when the session ends. The
// panel is created by the first show and kept for the program's life; its content is built
// anew by every show. The frame the user gave the panel is remembered, in memory only, when
// it closes and reapplied at the next show.
class OverlayController final : public QObject, public OverlayPresenter {
    Q_OBJECT
  public:
    static constexpr int defaultWidth = 300;
    static constexpr int defaultHeight = 420;
    static constexpr int screenMargin = 24;

    explicit OverlayController(WindowSystem& windows, QObject* parent = nullptr);
    ~OverlayController() override;

    void show(std::shared_ptr<PasteSession> session) override;
    void close() override;
    void setOnClose(std::function<void()> onClose) override;
    void showNotice(const std::optional<std::string>& notice) override;
    void showAfterEachPaste(AfterEachPaste choice) override;

    // 300 × 420, 24 px in from the top-right corner of `availableArea` (the primary screen's
    // area without panels); 800 × 600 at the origin stands in when there is no screen.
    [[nodiscard]] static QRect defaultFrame(const std::optional<QRect>& availableArea);
    [[nodiscard]] static QRect defaultFrameOnPrimaryScreen();

    [[nodiscard]] OverlayPanel* panel() const { return panel_.get(); }
    [[nodiscard]] OverlayView* view() const;
    [[nodiscard]] const std::optional<QRect>& savedFrame() const { return savedFrame_; }

  private:
    void ensurePanel();
    void requestClose();

    WindowSystem& windows_;
    std::function<void()> onClose_;
    std::unique_ptr<OverlayPanel> panel_;
    QPointer<OverlayView> view_;
    std::optional<QRect> savedFrame_;
    // Kept for the content built by a later show.
    std::optional<std::string> notice_;
    AfterEachPaste afterEachPaste_ = AfterEachPaste::nothing;
    // Last, so that the panel's and the view's callbacks are cut off before anything else goes.
    StepGuard guard_;
};

}  // namespace pastiq
