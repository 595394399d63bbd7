#include "overlay/QueueListView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QEasingCurve>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>

#include "overlay/ItemRowDelegate.h"
#include "overlay/OverlayPanel.h"
#include "overlay/QueueListModel.h"
#include "overlay/QueueScrollBar.h"

namespace pastiq {

namespace {

// The classic ease-in-out timing curve, cubic Bézier (0.42, 0) (0.58, 1).
QEasingCurve easeInOut() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

}  // namespace

QueueListView::QueueListView(QueueListModel* model, RowActions actions, QWidget* parent)
    : QListView(parent),
      model_(model),
      delegate_(new ItemRowDelegate(this)),
      actions_(std::move(actions)) {
    setObjectName(QStringLiteral("queueList"));
    setItemDelegate(delegate_);
    setModel(model_);
    // Every row has the same height, so a million rows are laid out without measuring each.
    setUniformItemSizes(true);
    setLayoutMode(QListView::SinglePass);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setResizeMode(QListView::Adjust);
    setViewportMargins(0, RowGeometry::listPadding - RowGeometry::rowGap / 2, 0,
                       RowGeometry::listPadding - RowGeometry::rowGap / 2);
    setAttribute(Qt::WA_TranslucentBackground);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setMouseTracking(true);
    // A slim scroll indicator that suits the dark panel under any widget style.
    setVerticalScrollBar(new QueueScrollBar(this));

    clickTimer_.setSingleShot(true);
    connect(&clickTimer_, &QTimer::timeout, this, &QueueListView::firePendingClick);
    // Texts and the queue's length decide the shared row height; a cursor move does not.
    connect(model_, &QAbstractItemModel::modelReset, this, &QueueListView::itemsChanged);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &QueueListView::itemsChanged);
    connect(model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.isEmpty()) {
                    itemsChanged();
                }
            });
}

QueueListView::~QueueListView() = default;

void QueueListView::itemsChanged() {
    ++itemsVersion_;
    updateRowGeometry();
}

void QueueListView::updateRowGeometry() {
    const int slotWidth = viewport()->width();
    if (itemsVersion_ == measuredVersion_ && slotWidth == measuredWidth_) {
        return;
    }
    measuredVersion_ = itemsVersion_;
    measuredWidth_ = slotWidth;
    const PasteSession* session = model_->session();
    const int count = model_->rowCount();
    const bool labels =
        session && !session->items().empty() && session->items().front().cellLabel().has_value();
    const RowGeometry probe(1, labels, count);
    const int lines =
        session ? RowGeometry::linesNeeded(session->items(), probe.textWidthForSlot(slotWidth)) : 1;
    const RowGeometry geometry(lines, labels, count);
    const bool changed = geometry.slotHeight() != delegate_->geometry().slotHeight() ||
                         geometry.numberColumnWidth() != delegate_->geometry().numberColumnWidth();
    delegate_->setGeometry(geometry);
    if (changed) {
        // Coalesced: laying out a million rows once, not once per change.
        scheduleDelayedItemsLayout();
    }
}

void QueueListView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    updateRowGeometry();
}

// In the panel, the rows are drawn over the panel's own background, painted here first: the
// list is then opaque, and Qt scrolls it by moving its pixels and drawing only the strip that
// comes into view. Otherwise each frame of the centring animation after a paste would repaint
// every visible row and the panel beneath them.
void QueueListView::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent,
                             qobject_cast<const OverlayPanel*>(window()) != nullptr);
}

void QueueListView::paintEvent(QPaintEvent* event) {
    const auto* panel = qobject_cast<const OverlayPanel*>(window());
    if (panel != nullptr && viewport()->testAttribute(Qt::WA_OpaquePaintEvent)) {
        QPainter painter(viewport());
        painter.translate(-viewport()->mapTo(panel, QPoint(0, 0)));
        panel->paintBackground(painter);
    }
    QListView::paintEvent(event);
}

// QListView lays every row out again after any change of data, which for a million rows
// costs tens of milliseconds after each paste. A row's pasted state changes only how it is
// drawn, never its size, so a cursor move repaints the rows between its old and new place
// that are in view, and nothing else.
void QueueListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                const QList<int>& roles) {
    if (roles == QList<int>{QueueListModel::RowStateRole}) {
        viewport()->update(visualRect(topLeft).united(visualRect(bottomRight)) &
                           viewport()->rect());
        return;
    }
    QListView::dataChanged(topLeft, bottomRight, roles);
}

void QueueListView::verticalScrollbarValueChanged(int /*value*/) {}

void QueueListView::centerRow(int row, bool animated) {
    if (row < 0 || row >= model_->rowCount()) {
        return;
    }
    executeDelayedItemsLayout();
    QScrollBar* bar = verticalScrollBar();
    const QRect rect = rectForIndex(model_->index(row));
    const int target =
        std::clamp(rect.center().y() - viewport()->height() / 2, bar->minimum(), bar->maximum());
    if (animation_) {
        animation_->stop();
        animation_->deleteLater();
    }
    if (!animated || target == bar->value()) {
        bar->setValue(target);
        return;
    }
    animation_ = new QPropertyAnimation(bar, "value", this);
    animation_->setDuration(scrollAnimationMs);
    animation_->setEasingCurve(easeInOut());
    animation_->setStartValue(bar->value());
    animation_->setEndValue(target);
    animation_->start(QAbstractAnimation::DeleteWhenStopped);
}

bool QueueListView::isScrollAnimating() const {
    return animation_ && animation_->state() == QAbstractAnimation::Running;
}

std::unique_ptr<QMenu> QueueListView::rowMenu(int row) {
    const std::optional<Uuid> id = model_->idAt(row);
    auto menu = std::make_unique<QMenu>(this);
    if (!id) {
        return menu;
    }
    QAction* edit = menu->addAction(QStringLiteral("Edit"));
    edit->setEnabled(model_->isEditable(row));
    connect(edit, &QAction::triggered, this, [this, id] { actions_.onBeginEdit(*id); });
    QAction* remove =
        menu->addAction(QIcon::fromTheme(QStringLiteral("edit-delete")), QStringLiteral("Delete"));
    remove->setObjectName(QStringLiteral("destructive"));
    connect(remove, &QAction::triggered, this, [this, id] { actions_.onDelete(*id); });
    return menu;
}

bool QueueListView::isOnPencil(const QModelIndex& index, const QPoint& position) const {
    return ItemRowDelegate::showsPencil(index) &&
           delegate_->pencilRect(visualRect(index)).contains(position);
}

void QueueListView::mousePressEvent(QMouseEvent* event) {
    // Rows react on release; the press only must not select or move a current index.
    event->accept();
}

void QueueListView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void QueueListView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || std::exchange(swallowRelease_, false)) {
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    const std::optional<Uuid> id = model_->idAt(index.row());
    if (!index.isValid() || !id) {
        return;
    }
    if (isOnPencil(index, event->position().toPoint())) {
        clickTimer_.stop();
        actions_.onBeginEdit(*id);
        return;
    }
    if (index.data(QueueListModel::IsEditingRole).toBool()) {
        return;
    }
    pendingClick_ = id;
    clickTimer_.start(QApplication::doubleClickInterval());
}

void QueueListView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // The second click's release belongs to this double click, not to a new single click.
    swallowRelease_ = true;
    clickTimer_.stop();
    pendingClick_.reset();
    const QModelIndex index = indexAt(event->position().toPoint());
    if (model_->isEditable(index.row())) {
        actions_.onBeginEdit(*model_->idAt(index.row()));
    }
}

void QueueListView::firePendingClick() {
    if (const std::optional<Uuid> id = std::exchange(pendingClick_, std::nullopt)) {
        actions_.onSelect(*id);
    }
}

void QueueListView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid()) {
        return;
    }
    rowMenu(index.row())->exec(event->globalPos());
}

}  // namespace pastiq
