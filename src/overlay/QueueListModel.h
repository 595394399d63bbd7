#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <memory>
#include <optional>

#include "model/PasteSession.h"
#include "model/Uuid.h"
#include "overlay/CoalescedUpdate.h"

namespace pastiq {

// The running session's queue as a Qt list model. Nothing is built per item: each row's data
// is read from the session when the view asks for it, so a million items cost no memory here.
// The session's change notifications become precise model signals: a removed item is one
// removed row, an edited item one changed row, a cursor move a change of the rows between
// the old and the new position (their pasted state flips); only a new queue resets the model.
//
// Changes to the rows themselves are signalled at once, bracketing the store as the item
// views require. Everything else is coalesced into one deferred update: a paste moves the
// cursor while the user's Ctrl+V waits for its verdict, and the rows, the scroll and the
// header are redrawn only once the paste is through (see CoalescedUpdate). Rows read the
// session whenever they are drawn, so a repaint in between never shows a stale state.
class QueueListModel final : public QAbstractListModel {
    Q_OBJECT
  public:
    enum Role {
        CellLabelRole = Qt::UserRole + 1,  // "R2C3" for grid items, invalid otherwise
        RowStateRole,                      // a RowState
        IsEditingRole,                     // bool
    };
    enum class RowState { behind, current, ahead };
    Q_ENUM(RowState)

    explicit QueueListModel(std::shared_ptr<PasteSession> session, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    // Without the base class's checks through virtual calls: the list asks for an index of
    // every row each time it lays out a million rows.
    [[nodiscard]] QModelIndex index(int row, int column = 0,
                                    const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

    // The session shown, or null once detached.
    [[nodiscard]] PasteSession* session() const { return session_.get(); }
    // Stops observing and releases the session; the model is empty afterwards.
    void detach();

    [[nodiscard]] std::optional<Uuid> idAt(int row) const;
    [[nodiscard]] std::optional<int> rowOf(const Uuid& id) const;
    [[nodiscard]] bool isEditable(int row) const;  // at or after the cursor

    // The item whose row shows the editor; view state kept here so rows can be drawn from it.
    [[nodiscard]] const std::optional<Uuid>& editingId() const { return editingId_; }
    void setEditingId(std::optional<Uuid> id);

    // Whether session changes wait for the deferred update.
    [[nodiscard]] bool isUpdatePending() const { return update_.isPending(); }

  Q_SIGNALS:
    // In the deferred update: the cursor moved from the position last announced (both may lie
    // outside the queue). Moves that cancel out announce nothing.
    void cursorMoved(std::int64_t previous, std::int64_t current);
    // In the deferred update, after cursorMoved: some observed field of the session changed,
    // so header texts may be stale.
    void sessionChanged();

  private:
    void sessionWillChange(const SessionChange& change);
    void sessionDidChange(const SessionChange& change);
    void runDeferredUpdate();
    void announceCursorMove();
    void emitRowChanged(std::optional<int> row);

    std::shared_ptr<PasteSession> session_;
    Subscription willChange_;
    Subscription didChange_;
    CoalescedUpdate update_;
    std::int64_t announcedCursor_ = 0;
    std::optional<Uuid> editingId_;
};

}  // namespace pastiq
