#pragma once

#include <QWidget>
#include <functional>

class QLabel;

namespace pastiq {

class ToggleSwitch;

// "Columns" [switch] "Rows": the paste order of a grid. The switch is on for row-major order
// and points at the active order's label, which is drawn in the primary colour.
class PasteOrderControl final : public QWidget {
    Q_OBJECT
  public:
    // `onTransposedChosen` receives true when the user picks column-major order.
    explicit PasteOrderControl(std::function<void(bool)> onTransposedChosen,
                               QWidget* parent = nullptr);

    void setTransposed(bool transposed);

    [[nodiscard]] QLabel* columnsLabel() const { return columns_; }
    [[nodiscard]] QLabel* rowsLabel() const { return rows_; }
    [[nodiscard]] ToggleSwitch* toggle() const { return switch_; }

  private:
    QLabel* columns_;
    ToggleSwitch* switch_;
    QLabel* rows_;
    std::function<void(bool)> onTransposedChosen_;
};

}  // namespace pastiq
