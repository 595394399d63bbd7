#pragma once

#include <QIcon>
#include <QPixmap>
#include <QStyledItemDelegate>

#include "overlay/RowGeometry.h"
#include "overlay/RowTextCache.h"

namespace pastiq {

// Draws one queue row: its number, at most two lines of text, the grid cell label, the pencil
// on rows that can still be edited, and the state decoration (current row in the accent
// colour with a border, pasted rows dimmed). Also makes the row's inline editor.
class ItemRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit ItemRowDelegate(QObject* parent = nullptr);

    void setGeometry(const RowGeometry& geometry) { geometry_ = geometry; }
    [[nodiscard]] const RowGeometry& geometry() const { return geometry_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    // The editor keeps what the user typed; later changes of the item never overwrite it.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    // Whether the row at `index` shows its pencil, and where (in the slot's coordinates).
    [[nodiscard]] static bool showsPencil(const QModelIndex& index);
    [[nodiscard]] QRect pencilRect(const QRect& slot) const;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

  protected:
    // The editor handles Return, Escape, Tab and focus changes itself.
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    void paintBackground(QPainter* painter, const QRect& row, bool isCurrent) const;
    void paintNumber(QPainter* painter, const QRect& row, int number, bool isCurrent) const;
    void paintText(QPainter* painter, const QRect& text, const QModelIndex& index) const;
    void paintPencil(QPainter* painter, const QRect& box) const;

    RowGeometry geometry_;
    QIcon pencil_;
    // One per font: numbers, item texts, cell labels.
    mutable RowTextCache numbers_;
    mutable RowTextCache texts_;
    mutable RowTextCache labels_;
    mutable QPixmap pencilPixmap_;
    mutable QSize pencilBox_;
};

}  // namespace pastiq
