#include "overlay/PasteOrderControl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

#include "overlay/OverlayStyle.h"
#include "overlay/ToggleSwitch.h"

namespace pastiq {

namespace {

QLabel* captionLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(OverlayStyle::captionFont());
    label->setTextFormat(Qt::PlainText);
    return label;
}

void setTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

PasteOrderControl::PasteOrderControl(std::function<void(bool)> onTransposedChosen, QWidget* parent)
    : QWidget(parent),
      columns_(captionLabel(QStringLiteral("Columns"), this)),
      switch_(new ToggleSwitch(this)),
      rows_(captionLabel(QStringLiteral("Rows"), this)),
      onTransposedChosen_(std::move(onTransposedChosen)) {
    setObjectName(QStringLiteral("pasteOrder"));
    switch_->setAccessibleName(QStringLiteral("Paste order"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(columns_);
    layout->addWidget(switch_);
    layout->addWidget(rows_);
    // Switching on chooses row-major order, switching off column-major.
    connect(switch_, &QAbstractButton::toggled, this,
            [this](bool on) { onTransposedChosen_(!on); });
    setTransposed(false);
}

void PasteOrderControl::setTransposed(bool transposed) {
    const QSignalBlocker quiet(switch_);
    switch_->setChecked(!transposed);
    setTextColour(columns_,
                  transposed ? OverlayStyle::primaryText() : OverlayStyle::tertiaryText());
    setTextColour(rows_, transposed ? OverlayStyle::tertiaryText() : OverlayStyle::primaryText());
    setToolTip(transposed ? QStringLiteral("Column-major: top to bottom, then across")
                          : QStringLiteral("Row-major: left to right, then down"));
}

}  // namespace pastiq
