#pragma once

#include <QRect>
#include <QScrollBar>
#include <QSize>
#include <optional>

namespace pastiq {

// The queue list's slim scroll bar: a handle and nothing else (no groove, no arrows, a
// transparent track). When the value changes it repaints where the handle was and where it
// is, and nothing when the handle stays on the same pixels, as it does in a long queue when a
// paste scrolls the list by one row. A stock bar repaints itself, and the panel beneath it, on
// every frame of the list's centring animation.
class QueueScrollBar final : public QScrollBar {
    Q_OBJECT
  public:
    explicit QueueScrollBar(QWidget* parent = nullptr);

    // Where the handle is for the current value. The style is asked only when the range, the
    // page step, the size or the style change: asking a style sheet costs more than the rest of
    // a scroll step, and the handle moves along its track in proportion to the value.
    [[nodiscard]] QRect handleRect();

  protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // The handle at the start of its track, and how far it travels to the end.
    struct Track {
        QRect atStart;
        int travel = 0;
        QSize measuredAt;
    };

    [[nodiscard]] QRect styledHandleAt(int position) const;

    std::optional<Track> track_;
    QRect paintedHandle_;
};

}  // namespace pastiq
