#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "engine/AfterEachPaste.h"
#include "model/Uuid.h"

class QLabel;

namespace pastiq {

class ItemEditor;
class OverlayHeader;
class PasteSession;
class QueueListModel;
class QueueListView;

// What the panel does for the view when an edit begins and ends: take the keyboard focus
// and hand it back.
struct EditingCallbacks {
    std::function<void()> onBeginEditing;
    std::function<void()> onEndEditing;
};

// The whole content of the overlay panel: header, the queue list, and the key hints. It turns
// row gestures into calls on the session and opens the editor for the item being edited, which
// the list model keeps so that its rows draw the edit. Built fresh for every show, so no edit
// outlives the panel's content.
class OverlayView final : public QWidget {
    Q_OBJECT
  public:
    OverlayView(std::shared_ptr<PasteSession> session, EditingCallbacks callbacks,
                QWidget* parent = nullptr);
    ~OverlayView() override;

    // Brings the current item's row to the centre at once (the panel was just shown).
    void scrollToCursorNow();
    // Stops showing the session: an open edit is closed without writing.
    void detach();
    // A status line above the key hints; nothing hides it.
    void showNotice(const std::optional<std::string>& notice);
    // Names the key Pastiq presses after each paste among the key hints; none for nothing.
    void showAfterEachPaste(AfterEachPaste choice);

    // Row handlers.
    void select(const Uuid& id);
    void beginEdit(const Uuid& id);
    void commitEdit(const QString& text);
    void cancelEdit();
    void deleteItem(const Uuid& id);

    [[nodiscard]] const std::optional<Uuid>& editingId() const;
    [[nodiscard]] ItemEditor* openEditor() const;
    [[nodiscard]] QueueListView* list() const { return list_; }
    [[nodiscard]] OverlayHeader* header() const { return header_; }
    [[nodiscard]] QueueListModel* model() const { return model_; }
    [[nodiscard]] QLabel* emptyState() const { return emptyState_; }
    [[nodiscard]] QLabel* notice() const { return notice_; }
    [[nodiscard]] QLabel* afterPasteHint() const { return afterPasteHint_; }

  private:
    void buildLayout();
    QWidget* buildFooter();
    void connectModel();
    void refresh();
    void cursorMoved(std::int64_t current);
    void openEditorAt(int row, const std::optional<QString>& text);
    void closeEditor();
    void endEditing();
    void commitOpenEditQuietly();
    void keepEditAcrossReset();
    void restoreEditAfterReset();
    void endEditIfRemoved(int first, int last);

    QueueListModel* model_;
    OverlayHeader* header_;
    QueueListView* list_;
    QLabel* emptyState_;
    QLabel* notice_;
    QLabel* afterPasteHint_ = nullptr;  // in the footer
    EditingCallbacks callbacks_;
    std::optional<QString> textAcrossReset_;
};

}  // namespace pastiq
