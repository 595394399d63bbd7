#pragma once

#include <QAbstractButton>

namespace pastiq {

// The panel's close button, drawn by Pastiq so it looks the same under every window manager:
// a small cross that gains a round backdrop under the pointer.
class PanelCloseButton final : public QAbstractButton {
    Q_OBJECT
  public:
    explicit PanelCloseButton(QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    bool isHovered_ = false;
};

}  // namespace pastiq
