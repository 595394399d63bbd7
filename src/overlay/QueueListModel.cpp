#include "overlay/QueueListModel.h"

#include <algorithm>
#include <utility>

namespace pastiq {

QueueListModel::QueueListModel(std::shared_ptr<PasteSession> session, QObject* parent)
    : QAbstractListModel(parent), session_(std::move(session)) {
    if (!session_) {
        return;
    }
    willChange_ = session_->willChange().subscribe(
        [this](const SessionChange& change) { sessionWillChange(change); });
    didChange_ = session_->didChange().subscribe(
        [this](const SessionChange& change) { sessionDidChange(change); });
}

void QueueListModel::detach() {
    beginResetModel();
    willChange_.cancel();
    didChange_.cancel();
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
    switch (change.field) {
        case SessionField::items:
            if (change.kind == SessionChange::Kind::replaced) {
                beginResetModel();
            } else if (change.kind == SessionChange::Kind::itemRemoved) {
                const int row = static_cast<int>(change.index);
                beginRemoveRows({}, row, row);
            }
            break;
        case SessionField::cursorIndex:
            cursorBefore_ = session_->cursorIndex();
            break;
        default:
            break;
    }
}

void QueueListModel::sessionDidChange(const SessionChange& change) {
    switch (change.field) {
        case SessionField::items:
            if (change.kind == SessionChange::Kind::replaced) {
                endResetModel();
            } else if (change.kind == SessionChange::Kind::itemRemoved) {
                endRemoveRows();
            } else {
                emitRowChanged(static_cast<int>(change.index));
            }
            break;
        case SessionField::cursorIndex:
            cursorDidChange();
            break;
        default:
            break;
    }
    Q_EMIT sessionChanged();
}

void QueueListModel::cursorDidChange() {
    const std::int64_t cursor = session_->cursorIndex();
    if (cursor == cursorBefore_) {
        return;
    }
    const std::int64_t lastRow = rowCount() - 1;
    const std::int64_t first = std::clamp<std::int64_t>(std::min(cursor, cursorBefore_), 0,
                                                        std::max<std::int64_t>(lastRow, 0));
    const std::int64_t last = std::clamp<std::int64_t>(std::max(cursor, cursorBefore_), 0,
                                                       std::max<std::int64_t>(lastRow, 0));
    if (lastRow >= 0) {
        Q_EMIT dataChanged(index(static_cast<int>(first)), index(static_cast<int>(last)),
                           {RowStateRole});
    }
    Q_EMIT cursorMoved(cursorBefore_, cursor);
}

}  // namespace pastiq
