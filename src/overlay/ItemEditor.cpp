#include "overlay/ItemEditor.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <utility>

namespace pastiq {

ItemEditor::ItemEditor(QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(QStringLiteral("Empty item"));
    setFrame(true);
    setObjectName(QStringLiteral("itemEditor"));
}

void ItemEditor::placeCaretAtEnd() {
    deselect();
    end(false);
}

bool ItemEditor::event(QEvent* event) {
    // Tab would otherwise move the focus along the chain before keyPressEvent sees it.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            commit();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void ItemEditor::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            commit();
            return;
        case Qt::Key_Escape:
            cancel();
            return;
        default:
            QLineEdit::keyPressEvent(event);
    }
}

void ItemEditor::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // The first focus may arrive as a tab-order focus when the panel is activated, which
    // would select the whole text; typing must append instead.
    if (!std::exchange(hasHadFocus_, true)) {
        placeCaretAtEnd();
    }
}

void ItemEditor::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu or other popup borrows the focus and gives it back; that is no ending.
    if (event->reason() != Qt::PopupFocusReason) {
        commit();
    }
}

void ItemEditor::commit() {
    if (isFinished_) {
        return;
    }
    isFinished_ = true;
    Q_EMIT committed(text());
}

void ItemEditor::cancel() {
    if (isFinished_) {
        return;
    }
    isFinished_ = true;
    Q_EMIT cancelled();
}

}  // namespace pastiq
