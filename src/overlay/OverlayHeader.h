#pragma once

#include <QWidget>
#include <functional>

class QLabel;

namespace pastiq {

class PasteOrderControl;
class PasteSession;

// The title, the subtitle naming the source and the progress ("List · 3 of 10"), and for
// grids that can be transposed the paste-order control.
class OverlayHeader final : public QWidget {
    Q_OBJECT
  public:
    explicit OverlayHeader(std::function<void(bool)> onTransposedChosen, QWidget* parent = nullptr);

    // Re-reads everything shown from the session (null: an empty list).
    void refresh(const PasteSession* session);

    [[nodiscard]] QString subtitle() const;
    [[nodiscard]] PasteOrderControl* pasteOrder() const { return pasteOrder_; }

  private:
    QLabel* title_;
    QLabel* subtitle_;
    PasteOrderControl* pasteOrder_;
};

}  // namespace pastiq
