#pragma once

#include <QIcon>
#include <QPixmap>
#include <memory>

#include "app/tray/TrayIconState.h"
#include "app/tray/TrayTextOutlines.h"

class QSvgRenderer;

namespace pastiq {

// Draws the tray icon from the bundled "TrayIcon" glyph: alone, with an alert mark while a
// status message stands, or as the session's progress ("3" over "10"). Every size is drawn
// natively so the digits stay crisp wherever the panel scales the icon.
class TrayIconPainter {
  public:
    TrayIconPainter();
    ~TrayIconPainter();
    TrayIconPainter(const TrayIconPainter&) = delete;
    TrayIconPainter& operator=(const TrayIconPainter&) = delete;

    [[nodiscard]] QIcon paint(const TrayIconState& state) const;
    [[nodiscard]] QPixmap paintAt(int size, const TrayIconState& state) const;

  private:
    void drawGlyph(QPainter& painter, int size) const;

    std::unique_ptr<QSvgRenderer> glyph_;
    QIcon fallbackGlyph_;
    mutable TrayTextOutlines outlines_;
};

}  // namespace pastiq
