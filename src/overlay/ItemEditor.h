#pragma once

#include <QLineEdit>

namespace pastiq {

// The one-line inline editor of a queue row. Return commits, Escape cancels, Tab or losing
// the keyboard focus commits. It finishes at most once: after Escape nothing can commit, and
// an editor the list closes itself (dismiss) stays silent, so closing it never writes.
class ItemEditor final : public QLineEdit {
    Q_OBJECT
  public:
    explicit ItemEditor(QWidget* parent = nullptr);

    // Ends the editor without a signal, for the list closing it on its own.
    void dismiss() { isFinished_ = true; }
    [[nodiscard]] bool isFinished() const { return isFinished_; }
    // Puts the caret after the last character with nothing selected.
    void placeCaretAtEnd();

  Q_SIGNALS:
    void committed(const QString& text);
    void cancelled();

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void commit();
    void cancel();

    bool isFinished_ = false;
    bool hasHadFocus_ = false;
};

}  // namespace pastiq
