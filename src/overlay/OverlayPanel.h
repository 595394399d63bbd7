#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

#include "engine/ports/WindowSystem.h"

class QPainter;
class QSizeGrip;
class QVBoxLayout;

namespace pastiq {

class PanelCloseButton;

// The floating panel: a frameless utility window that stays above other windows on every
// workspace, out of taskbar and pager, and never takes the keyboard focus on a click. It
// draws its own title strip with a close button, is moved by dragging its background and
// resized by its edges or the size grip. It takes the keyboard focus only on request (an
// inline edit) and hands it back to the window that had it.
class OverlayPanel final : public QWidget {
    Q_OBJECT
  public:
    // `onCloseRequested` runs for the close button and for a window manager's close request;
    // the panel never closes itself.
    OverlayPanel(WindowSystem& windows, std::function<void()> onCloseRequested);
    ~OverlayPanel() override;

    // Shows `content` below the title strip; the previous content is destroyed.
    void setContent(QWidget* content);
    void clearContent();
    [[nodiscard]] QWidget* content() const { return content_; }

    // Maps the panel at `frame` without activating it.
    void showAt(const QRect& frame);

    void takeKeyboardFocus();
    void returnKeyboardFocus();
    [[nodiscard]] bool acceptsFocus() const;

    [[nodiscard]] bool isTranslucent() const { return isTranslucent_; }
    // The panel's own background, in the panel's coordinates. Content that paints it beneath
    // itself can be opaque, so Qt scrolls it by moving pixels and never repaints the panel
    // under it.
    void paintBackground(QPainter& painter) const;
    [[nodiscard]] PanelCloseButton* closeButton() const { return closeButton_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    [[nodiscard]] Qt::Edges edgesAt(const QPoint& position) const;
    void setAcceptsFocus(bool accepts);

    WindowSystem& windows_;
    std::function<void()> onCloseRequested_;
    bool isTranslucent_;
    QVBoxLayout* layout_;
    PanelCloseButton* closeButton_;
    QSizeGrip* grip_;
    QPointer<QWidget> content_;
    std::optional<WindowSystem::WindowId> focusOwner_;
    std::optional<QPoint> pressPosition_;
    std::optional<QPoint> dragOffset_;
};

}  // namespace pastiq
