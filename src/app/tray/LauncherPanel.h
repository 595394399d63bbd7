#pragma once

#include <QIcon>
#include <QWidget>
#include <optional>

#include "engine/ports/WindowSystem.h"

namespace pastiq {

// Pastiq's way in where the desktop shows no tray icons: a small floating button in the
// overlay's dark style with the tray icon's picture, and beside it the progress or status
// message while there is one (collapsed to the picture when idle). Like the overlay it stays
// above other windows on every workspace and never takes the keyboard focus. A click asks for
// the menu; dragging moves it.
class LauncherPanel final : public QWidget {
    Q_OBJECT

  public:
    explicit LauncherPanel(WindowSystem& windows);

    // The picture, and the text beside it (none when empty).
    void showState(const QIcon& icon, const QString& title, const QString& toolTip);
    // Maps the panel at `frame` without activating it, or moves it there.
    void present(const QRect& frame);
    // The size the picture and the text need.
    [[nodiscard]] QSize sizeHint() const override;

  Q_SIGNALS:
    // A click without a drag; the menu opens at `below`, the panel's lower left corner.
    void menuRequested(QPoint below);
    // The user dragged the panel to `position`.
    void movedByUser(QPoint position);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    static constexpr int kIconSize = 24;
    static constexpr int kPadding = 6;

    // A left press becomes a click or a drag by how far the pointer goes before the release.
    void startPress(QPoint position);
    void followPointer(QPoint position, QPoint globalPosition);
    void finishPress();

    WindowSystem& windows_;
    QIcon icon_;
    QString title_;
    bool isTranslucent_;
    std::optional<QPoint> pressedAt_;
    // From a drag's start until the next press, every move is the user's.
    bool isDragged_ = false;
};

}  // namespace pastiq
