#include "overlay/QueueScrollBar.h"

#include <QEvent>
#include <QStyleOptionSlider>
#include <cstdlib>

namespace pastiq {

QueueScrollBar::QueueScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px 2px 2px 0; }"
        "QScrollBar::handle:vertical { background: rgba(242, 242, 245, 70); border-radius: 3px;"
        " min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
}

// Only the handle is drawn, so only the pixels it leaves and the pixels it takes change.
void QueueScrollBar::sliderChange(SliderChange change) {
    if (change != SliderValueChange) {
        track_.reset();
        QScrollBar::sliderChange(change);
        return;
    }
    const QRect handle = handleRect();
    if (handle != paintedHandle_) {
        update(handle.united(paintedHandle_));
    }
}

void QueueScrollBar::paintEvent(QPaintEvent* event) {
    paintedHandle_ = handleRect();
    QScrollBar::paintEvent(event);
}

void QueueScrollBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::StyleChange) {
        track_.reset();
    }
    QScrollBar::changeEvent(event);
}

QRect QueueScrollBar::handleRect() {
    if (!track_ || track_->measuredAt != size()) {
        const QRect first = styledHandleAt(minimum());
        const QRect last = styledHandleAt(maximum());
        const QRect& atStart = first.top() <= last.top() ? first : last;
        track_ = Track{atStart, std::abs(last.top() - first.top()), size()};
    }
    const int offset = QStyle::sliderPositionFromValue(minimum(), maximum(), sliderPosition(),
                                                       track_->travel, invertedAppearance());
    return track_->atStart.translated(0, offset);
}

QRect QueueScrollBar::styledHandleAt(int position) const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.sliderPosition = position;
    option.sliderValue = position;
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

}  // namespace pastiq
