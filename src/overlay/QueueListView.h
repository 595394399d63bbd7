#pragma once

#include <QListView>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "model/Uuid.h"

class QMenu;
class QPropertyAnimation;

namespace pastiq {

class ItemRowDelegate;
class QueueListModel;

// The gestures a row turns into requests; the overlay view carries them out.
struct RowActions {
    std::function<void(const Uuid&)> onSelect;     // single click
    std::function<void(const Uuid&)> onBeginEdit;  // double click, pencil, Edit
    std::function<void(const Uuid&)> onDelete;     // Delete
};

// The scrolling list of queue rows. It never takes the keyboard focus, selects nothing by
// itself, and tells a single click from a double click: a single click acts only once the
// double-click interval has passed without a second click.
class QueueListView final : public QListView {
    Q_OBJECT
  public:
    static constexpr int scrollAnimationMs = 150;

    QueueListView(QueueListModel* model, RowActions actions, QWidget* parent = nullptr);
    ~QueueListView() override;

    [[nodiscard]] ItemRowDelegate* rowDelegate() const { return delegate_; }

    // Scrolls so that `row`'s centre is at the viewport's vertical centre (as far as the
    // content allows); animated with an ease-in-out curve, or at once.
    void centerRow(int row, bool animated);
    [[nodiscard]] bool isScrollAnimating() const;

    // The context menu of `row`: Edit (enabled only where the row can be edited) and Delete.
    [[nodiscard]] std::unique_ptr<QMenu> rowMenu(int row);

    // Recomputes the shared row height when the items or the width changed since last time.
    void updateRowGeometry();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;
    // Qt's item view asks the display where the pointer is at every scroll step (a round trip
    // to the X server, on every frame of the centring animation) to update a hover state no
    // row shows, and fetches more rows at the end, which this model never has.
    void verticalScrollbarValueChanged(int value) override;

  private:
    void itemsChanged();
    void firePendingClick();
    [[nodiscard]] bool isOnPencil(const QModelIndex& index, const QPoint& position) const;

    QueueListModel* model_;
    ItemRowDelegate* delegate_;
    RowActions actions_;
    QTimer clickTimer_;
    std::optional<Uuid> pendingClick_;
    bool swallowRelease_ = false;
    QPointer<QPropertyAnimation> animation_;
    std::uint64_t itemsVersion_ = 0;
    std::uint64_t measuredVersion_ = ~std::uint64_t{0};
    int measuredWidth_ = -1;
};

}  // namespace pastiq
