#pragma once

#include <QAbstractButton>

namespace pastiq {

// A small on/off switch: a pill-shaped track with a round knob that sits right when on.
class ToggleSwitch final : public QAbstractButton {
    Q_OBJECT
  public:
    explicit ToggleSwitch(QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace pastiq
