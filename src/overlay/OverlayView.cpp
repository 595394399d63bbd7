#include "overlay/OverlayView.h"

#include <QLabel>
#include <QVBoxLayout>

#include "model/PasteSession.h"
#include "overlay/ItemEditor.h"
#include "overlay/OverlayHeader.h"
#include "overlay/OverlayStyle.h"
#include "overlay/QueueListModel.h"
#include "overlay/QueueListView.h"
#include "overlay/RowGeometry.h"

namespace pastiq {

namespace {

QLabel* hintLabel(const QString& text, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, OverlayStyle::tertiaryText());
    label->setPalette(palette);
    return label;
}

QWidget* divider(QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, OverlayStyle::separator());
    line->setPalette(palette);
    return line;
}

// The footer line for a key Pastiq presses after each paste.
QString afterEachPasteHint(AfterEachPaste choice) {
    switch (choice) {
        case AfterEachPaste::nothing:
            break;
        case AfterEachPaste::pressTab:
            return QStringLiteral("Tab pressed after each paste");
        case AfterEachPaste::pressReturn:
            return QStringLiteral("Return pressed after each paste");
        case AfterEachPaste::spreadsheetRow:
            return QStringLiteral("Tab after each cell · Return after each row");
    }
    return {};
}

}  // namespace

OverlayView::OverlayView(std::shared_ptr<PasteSession> session, EditingCallbacks callbacks,
                         QWidget* parent)
    : QWidget(parent),
      model_(new QueueListModel(std::move(session), this)),
      header_(new OverlayHeader(
          [this](bool transposed) {
              if (PasteSession* current = model_->session()) {
                  current->setTransposed(transposed);
              }
          },
          this)),
      list_(new QueueListView(model_,
                              RowActions{[this](const Uuid& id) { select(id); },
                                         [this](const Uuid& id) { beginEdit(id); },
                                         [this](const Uuid& id) { deleteItem(id); }},
                              this)),
      emptyState_(hintLabel(QStringLiteral("Nothing queued — press Ctrl+C to copy a list"),
                            OverlayStyle::captionFont(), this)),
      notice_(hintLabel(QString(), OverlayStyle::captionFont(), this)),
      callbacks_(std::move(callbacks)) {
    setObjectName(QStringLiteral("overlayView"));
    buildLayout();
    connectModel();
    refresh();
}

OverlayView::~OverlayView() {
    // Closing the editor during destruction must not write into the session.
    if (ItemEditor* editor = openEditor()) {
        editor->dismiss();
    }
}

void OverlayView::buildLayout() {
    emptyState_->setObjectName(QStringLiteral("emptyState"));
    emptyState_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    emptyState_->setWordWrap(true);
    emptyState_->setContentsMargins(RowGeometry::listPadding, 24, RowGeometry::listPadding, 24);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header_);
    layout->addWidget(divider(this));
    layout->addWidget(emptyState_);
    layout->addWidget(list_, 1);
    layout->addWidget(divider(this));
    notice_->setObjectName(QStringLiteral("overlayNotice"));
    notice_->setContentsMargins(12, 6, 12, 0);
    QPalette noticePalette = notice_->palette();
    noticePalette.setColor(QPalette::WindowText, OverlayStyle::primaryText());
    notice_->setPalette(noticePalette);
    notice_->hide();
    layout->addWidget(notice_);
    layout->addWidget(buildFooter());
}

void OverlayView::showNotice(const std::optional<std::string>& notice) {
    notice_->setText(notice ? QString::fromStdString(*notice) : QString());
    notice_->setVisible(notice.has_value());
}

void OverlayView::showAfterEachPaste(AfterEachPaste choice) {
    const QString hint = afterEachPasteHint(choice);
    afterPasteHint_->setText(hint);
    afterPasteHint_->setVisible(!hint.isEmpty());
}

QWidget* OverlayView::buildFooter() {
    auto* footer = new QWidget(this);
    footer->setObjectName(QStringLiteral("overlayFooter"));
    auto* layout = new QVBoxLayout(footer);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setSpacing(2);
    afterPasteHint_ = hintLabel(QString(), OverlayStyle::caption2Font(), footer);
    afterPasteHint_->setObjectName(QStringLiteral("afterPasteHint"));
    afterPasteHint_->setVisible(false);
    layout->addWidget(afterPasteHint_);
    for (const QString& hint : {QStringLiteral("Ctrl+V paste next · Ctrl+[ back · Ctrl+] forward"),
                                QStringLiteral("Ctrl+C copy new list · Ctrl+Alt+C ends"),
                                QStringLiteral("click to jump · double-click to edit · "
                                               "right-click to delete")}) {
        layout->addWidget(hintLabel(hint, OverlayStyle::caption2Font(), footer));
    }
    return footer;
}

void OverlayView::connectModel() {
    connect(model_, &QueueListModel::sessionChanged, this, &OverlayView::refresh);
    connect(model_, &QueueListModel::cursorMoved, this,
            [this](std::int64_t, std::int64_t current) { cursorMoved(current); });
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this,
            &OverlayView::keepEditAcrossReset);
    connect(model_, &QAbstractItemModel::modelReset, this, &OverlayView::restoreEditAfterReset);
    connect(model_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { endEditIfRemoved(first, last); });
}

void OverlayView::refresh() {
    header_->refresh(model_->session());
    emptyState_->setVisible(model_->rowCount() == 0);
}

void OverlayView::scrollToCursorNow() {
    if (const PasteSession* session = model_->session(); session && session->currentItem()) {
        list_->centerRow(static_cast<int>(session->cursorIndex()), false);
    }
}

void OverlayView::cursorMoved(std::int64_t current) {
    if (current >= 0 && current < model_->rowCount()) {
        list_->centerRow(static_cast<int>(current), true);
    }
}

void OverlayView::detach() {
    if (editingId()) {
        closeEditor();
        endEditing();
    }
    model_->detach();
    refresh();
}

const std::optional<Uuid>& OverlayView::editingId() const {
    return model_->editingId();
}

ItemEditor* OverlayView::openEditor() const {
    const std::optional<Uuid>& id = editingId();
    const std::optional<int> row = id ? model_->rowOf(*id) : std::nullopt;
    return row ? qobject_cast<ItemEditor*>(list_->indexWidget(model_->index(*row))) : nullptr;
}

void OverlayView::select(const Uuid& id) {
    if (editingId()) {
        commitOpenEditQuietly();
        endEditing();
    }
    PasteSession* session = model_->session();
    if (const std::optional<int> row = model_->rowOf(id); session && row) {
        session->jump(*row);
    }
}

void OverlayView::beginEdit(const Uuid& id) {
    const std::optional<int> row = model_->rowOf(id);
    if (!row || !model_->isEditable(*row)) {
        return;  // rows already pasted cannot be edited
    }
    if (editingId() == id) {
        if (ItemEditor* editor = openEditor()) {
            editor->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    // Moving the editor to another row keeps what was typed in the first one.
    commitOpenEditQuietly();
    model_->setEditingId(id);
    openEditorAt(*row, std::nullopt);
    if (callbacks_.onBeginEditing) {
        callbacks_.onBeginEditing();
    }
    if (ItemEditor* editor = openEditor()) {
        editor->setFocus(Qt::OtherFocusReason);
    }
}

void OverlayView::openEditorAt(int row, const std::optional<QString>& text) {
    const QModelIndex index = model_->index(row);
    list_->openPersistentEditor(index);
    auto* editor = qobject_cast<ItemEditor*>(list_->indexWidget(index));
    if (editor == nullptr) {
        return;
    }
    if (text) {
        editor->setText(*text);
    }
    // The item view selects a new editor's whole text; the caret belongs after the last
    // character so that typing appends.
    editor->placeCaretAtEnd();
    connect(editor, &ItemEditor::committed, this, &OverlayView::commitEdit);
    connect(editor, &ItemEditor::cancelled, this, &OverlayView::cancelEdit);
    list_->scrollTo(index);
}

void OverlayView::commitEdit(const QString& text) {
    const std::optional<Uuid> id = editingId();
    if (!id) {
        return;
    }
    closeEditor();
    if (PasteSession* session = model_->session()) {
        session->updateText(*id, text.toStdString());
    }
    endEditing();
}

void OverlayView::cancelEdit() {
    if (!editingId()) {
        return;
    }
    closeEditor();
    endEditing();
}

void OverlayView::deleteItem(const Uuid& id) {
    if (editingId() == id) {
        closeEditor();
        endEditing();
    }
    if (PasteSession* session = model_->session()) {
        session->deleteItem(id);
    }
}

// Stores the open editor's text without giving the keyboard focus back: another row's
// edit or a click follows at once.
void OverlayView::commitOpenEditQuietly() {
    const std::optional<Uuid> id = editingId();
    ItemEditor* editor = openEditor();
    if (!id || editor == nullptr) {
        return;
    }
    const QString text = editor->text();
    const bool wasCancelled = editor->isFinished();
    closeEditor();
    model_->setEditingId(std::nullopt);
    if (PasteSession* session = model_->session(); session && !wasCancelled) {
        session->updateText(*id, text.toStdString());
    }
}

void OverlayView::closeEditor() {
    const std::optional<Uuid>& id = editingId();
    const std::optional<int> row = id ? model_->rowOf(*id) : std::nullopt;
    if (!row) {
        return;
    }
    if (ItemEditor* editor = openEditor()) {
        editor->dismiss();
        editor->disconnect(this);
    }
    list_->closePersistentEditor(model_->index(*row));
}

void OverlayView::endEditing() {
    model_->setEditingId(std::nullopt);
    if (callbacks_.onEndEditing) {
        callbacks_.onEndEditing();
    }
}

// A new queue (or a new paste order) replaces every row. The edited item may survive it
// (transposing keeps the items); its editor then comes back with what was typed.
void OverlayView::keepEditAcrossReset() {
    textAcrossReset_.reset();
    if (ItemEditor* editor = openEditor()) {
        textAcrossReset_ = editor->text();
        editor->dismiss();
        editor->disconnect(this);
    }
}

void OverlayView::restoreEditAfterReset() {
    const std::optional<QString> text = std::exchange(textAcrossReset_, std::nullopt);
    const std::optional<Uuid> id = editingId();
    if (!id) {
        return;
    }
    if (const std::optional<int> row = model_->rowOf(*id)) {
        openEditorAt(*row, text);
        if (ItemEditor* editor = openEditor()) {
            editor->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    endEditing();
}

void OverlayView::endEditIfRemoved(int first, int last) {
    const std::optional<Uuid>& id = editingId();
    const std::optional<int> row = id ? model_->rowOf(*id) : std::nullopt;
    if (row && *row >= first && *row <= last) {
        closeEditor();
        endEditing();
    }
}

}  // namespace pastiq
