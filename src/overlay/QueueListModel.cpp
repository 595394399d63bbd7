#include "overlay/QueueListModel.h"

#include <algorithm>
#include <utility>

#include "overlay/RowTextLayout.h"

namespace pastiq {

QueueListModel::QueueListModel(std::shared_ptr<PasteSession> session, QObject* parent)
    : QAbstractListModel(parent),
      session_(std::move(session)),
      update_([this] { runDeferredUpdate(); }) {
    if (!session_) {
        return;
    }
    announcedCursor_ = session_->cursorIndex();
    willChange_ = session_->willChange().subscribe(
        [this](const SessionChange& change) { sessionWillChange(change); });
    didChange_ = session_->didChange().subscribe(
        [this](const SessionChange& change) { sessionDidChange(change); });
}

void QueueListModel::detach() {
    beginResetModel();
    willChange_.cancel();
    didChange_.cancel();
    update_.cancel();
    session_.reset();
    editingId_.reset();
    endResetModel();
}

int QueueListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !session_) {
        return 0;
    }
    return static_cast<int>(session_->items().size());
}

QModelIndex QueueListModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0 || parent.isValid() || !session_ ||
        static_cast<std::size_t>(row) >= session_->items().size()) {
        return {};
    }
    return createIndex(row, column);
}

QVariant QueueListModel::data(const QModelIndex& index, int role) const {
    if (!session_ || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const QueueItem& item = session_->items()[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return RowTextLayout::shownText(item.text());
        case Qt::EditRole:
            return QString::fromStdString(item.text());
        case CellLabelRole: {
            const auto label = item.cellLabel();
            return label ? QVariant(QString::fromStdString(*label)) : QVariant();
        }
        case RowStateRole: {
            const std::int64_t cursor = session_->cursorIndex();
            const auto state = index.row() < cursor    ? RowState::behind
                               : index.row() == cursor ? RowState::current
                                                       : RowState::ahead;
            return QVariant::fromValue(state);
        }
        case IsEditingRole:
            return editingId_ == item.id();
        default:
            return {};
    }
}

std::optional<Uuid> QueueListModel::idAt(int row) const {
    if (row < 0 || row >= rowCount()) {
        return std::nullopt;
    }
    return session_->items()[static_cast<std::size_t>(row)].id();
}

std::optional<int> QueueListModel::rowOf(const Uuid& id) const {
    if (!session_) {
        return std::nullopt;
    }
    const auto position = session_->indexOf(id);
    return position ? std::optional<int>(static_cast<int>(*position)) : std::nullopt;
}

bool QueueListModel::isEditable(int row) const {
    return session_ && row >= 0 && row < rowCount() && row >= session_->cursorIndex();
}

void QueueListModel::setEditingId(std::optional<Uuid> id) {
    if (editingId_ == id) {
        return;
    }
    const std::optional<Uuid> previous = std::exchange(editingId_, id);
    if (previous) {
        emitRowChanged(rowOf(*previous));
    }
    if (editingId_) {
        emitRowChanged(rowOf(*editingId_));
    }
}

void QueueListModel::emitRowChanged(std::optional<int> row) {
    if (row) {
        const QModelIndex changed = index(*row);
        Q_EMIT dataChanged(changed, changed);
    }
}

void QueueListModel::sessionWillChange(const SessionChange& change) {
    if (change.field != SessionField::items) {
        return;
    }
    if (change.kind == SessionChange::Kind::replaced) {
        beginResetModel();
    } else if (change.kind == SessionChange::Kind::itemRemoved) {
        const int row = static_cast<int>(change.index);
        beginRemoveRows({}, row, row);
    }
}

void QueueListModel::sessionDidChange(const SessionChange& change) {
    if (change.field != SessionField::items) {
        update_.noteQuietChange();
        return;
    }
    if (change.kind == SessionChange::Kind::replaced) {
        endResetModel();
    } else if (change.kind == SessionChange::Kind::itemRemoved) {
        endRemoveRows();
    } else {
        emitRowChanged(static_cast<int>(change.index));
    }
    // The user changed the queue (in the panel or by copying a new list): no paste is
    // waiting, and the header should keep up with the rows.
    update_.noteUrgentChange();
}

void QueueListModel::runDeferredUpdate() {
    if (!session_) {
        return;
    }
    announceCursorMove();
    Q_EMIT sessionChanged();
}

// The rows between the position last announced and the current one changed their state. Rows
// removed or a queue replaced meanwhile were repainted whole when that happened, so rows that
// shifted since are drawn from the current state already.
void QueueListModel::announceCursorMove() {
    const std::int64_t cursor = session_->cursorIndex();
    const std::int64_t previous = std::exchange(announcedCursor_, cursor);
    if (cursor == previous) {
        return;
    }
    const std::int64_t lastRow = rowCount() - 1;
    if (lastRow >= 0) {
        const auto clamped = [lastRow](std::int64_t position) {
            return static_cast<int>(std::clamp<std::int64_t>(position, 0, lastRow));
        };
        Q_EMIT dataChanged(index(clamped(std::min(cursor, previous))),
                           index(clamped(std::max(cursor, previous))), {RowStateRole});
    }
    Q_EMIT cursorMoved(previous, cursor);
}

}  // namespace pastiq
