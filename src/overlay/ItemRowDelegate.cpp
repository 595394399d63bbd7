#include "overlay/ItemRowDelegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QToolTip>

#include "overlay/ItemEditor.h"
#include "overlay/OverlayStyle.h"
#include "overlay/QueueListModel.h"
#include "overlay/RowTextLayout.h"

namespace pastiq {

namespace {

using RowState = QueueListModel::RowState;

constexpr double behindOpacity = 0.4;
constexpr double currentFillOpacity = 0.16;
constexpr double currentBorderOpacity = 0.9;
constexpr double otherFillOpacity = 0.04;

RowState rowState(const QModelIndex& index) {
    return index.data(QueueListModel::RowStateRole).value<RowState>();
}

bool isEditing(const QModelIndex& index) {
    return index.data(QueueListModel::IsEditingRole).toBool();
}

QIcon pencilIcon() {
    const QIcon fallback(QStringLiteral(":/pastiq/overlay/pencil.svg"));
    return QIcon::fromTheme(QStringLiteral("document-edit"),
                            QIcon::fromTheme(QStringLiteral("edit-entry"), fallback));
}

}  // namespace

ItemRowDelegate::ItemRowDelegate(QObject* parent)
    : QStyledItemDelegate(parent), pencil_(pencilIcon()) {}

QSize ItemRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {std::max(option.rect.width(), 1), geometry_.slotHeight()};
}

bool ItemRowDelegate::showsPencil(const QModelIndex& index) {
    return rowState(index) != RowState::behind && !isEditing(index);
}

QRect ItemRowDelegate::pencilRect(const QRect& slot) const {
    return geometry_.pencilRect(geometry_.rowRect(slot));
}

void ItemRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const RowState state = rowState(index);
    const bool editing = isEditing(index);
    const QRect row = geometry_.rowRect(option.rect);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setOpacity(state == RowState::behind && !editing ? behindOpacity : 1.0);
    paintBackground(painter, row, state == RowState::current);
    paintNumber(painter, row, index.row() + 1, state == RowState::current);
    if (!editing) {
        const bool pencil = state != RowState::behind;
        paintText(painter, geometry_.textRect(row, pencil), index);
        if (pencil) {
            paintPencil(painter, geometry_.pencilRect(row));
        }
    }
    painter->restore();
}

void ItemRowDelegate::paintBackground(QPainter* painter, const QRect& row, bool isCurrent) const {
    const QRectF bounds(row);
    painter->setPen(Qt::NoPen);
    painter->setBrush(
        isCurrent ? OverlayStyle::withOpacity(OverlayStyle::accent(), currentFillOpacity)
                  : OverlayStyle::withOpacity(OverlayStyle::primaryText(), otherFillOpacity));
    painter->drawRoundedRect(bounds, RowGeometry::cornerRadius, RowGeometry::cornerRadius);
    if (!isCurrent) {
        return;
    }
    // Stroked inside the edge: the pen's centre line runs half a width in.
    const double inset = RowGeometry::borderWidth / 2;
    QPen border(OverlayStyle::withOpacity(OverlayStyle::accent(), currentBorderOpacity),
                RowGeometry::borderWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    painter->setPen(border);
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(bounds.adjusted(inset, inset, -inset, -inset),
                             RowGeometry::cornerRadius - inset, RowGeometry::cornerRadius - inset);
}

void ItemRowDelegate::paintNumber(QPainter* painter, const QRect& row, int number,
                                  bool isCurrent) const {
    const QFont caption = OverlayStyle::captionFont();
    painter->setFont(caption);
    painter->setPen(isCurrent ? OverlayStyle::accent() : OverlayStyle::secondaryText());
    RowTextCache::draw(*painter, geometry_.numberRect(row), Qt::AlignRight,
                       numbers_.line(QString::number(number), caption));
}

void ItemRowDelegate::paintText(QPainter* painter, const QRect& text,
                                const QModelIndex& index) const {
    const QFont body = OverlayStyle::bodyFont();
    const QFontMetrics metrics(body);
    const std::vector<QStaticText>& lines =
        texts_.lines(index.data(Qt::DisplayRole).toString(), body, text.width());
    const QString cellLabel = index.data(QueueListModel::CellLabelRole).toString();

    int contentHeight = static_cast<int>(lines.size()) * metrics.lineSpacing();
    const QFont caption2 = OverlayStyle::caption2Font();
    if (!cellLabel.isEmpty()) {
        contentHeight += RowGeometry::contentLineSpacing + QFontMetrics(caption2).height();
    }
    int y = text.center().y() - contentHeight / 2;

    painter->setFont(body);
    painter->setPen(OverlayStyle::primaryText());
    for (const QStaticText& line : lines) {
        RowTextCache::draw(*painter, QRect(text.left(), y, text.width(), metrics.lineSpacing()),
                           Qt::AlignLeft, line);
        y += metrics.lineSpacing();
    }
    if (!cellLabel.isEmpty()) {
        y += RowGeometry::contentLineSpacing;
        painter->setFont(caption2);
        painter->setPen(OverlayStyle::tertiaryText());
        RowTextCache::draw(*painter,
                           QRect(text.left(), y, text.width(), QFontMetrics(caption2).height()),
                           Qt::AlignLeft, labels_.line(cellLabel, caption2));
    }
}

// As QIcon::paint draws it, from a pixmap looked up once per size instead of once per row.
void ItemRowDelegate::paintPencil(QPainter* painter, const QRect& box) const {
    const qreal ratio = painter->device()->devicePixelRatio();
    if (pencilPixmap_.isNull() || pencilPixmap_.devicePixelRatio() != ratio ||
        pencilBox_ != box.size()) {
        pencilPixmap_ = pencil_.pixmap(box.size(), ratio);
        pencilBox_ = box.size();
    }
    const QSize shown = pencilPixmap_.deviceIndependentSize().toSize();
    painter->drawPixmap(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, shown, box),
                        pencilPixmap_);
}

QWidget* ItemRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const {
    auto* editor = new ItemEditor(parent);
    editor->setFont(OverlayStyle::bodyFont());
    editor->setText(index.data(Qt::EditRole).toString());
    editor->placeCaretAtEnd();
    return editor;
}

void ItemRowDelegate::setEditorData(QWidget*, const QModelIndex&) const {}

void ItemRowDelegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const {
    // Commits go through the overlay view, which stores them in the session.
}

void ItemRowDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                           const QModelIndex&) const {
    editor->setGeometry(geometry_.editorRect(geometry_.rowRect(option.rect)));
}

bool ItemRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip && showsPencil(index) &&
        pencilRect(option.rect).contains(event->pos())) {
        QToolTip::showText(event->globalPos(), QStringLiteral("Edit this item"), view);
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return false;
}

bool ItemRowDelegate::eventFilter(QObject* object, QEvent* event) {
    // Skips QStyledItemDelegate's editor filter on purpose: it swallows Escape before the
    // editor sees it, so the edit never cancels and the focus loss that follows commits the
    // typed text. ItemEditor handles Return, Escape, Tab and focus loss itself.
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): see above
    return QObject::eventFilter(object, event);
}

}  // namespace pastiq
