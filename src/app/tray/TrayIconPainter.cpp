#include "app/tray/TrayIconPainter.h"

#include <QPainter>
#include <QSvgRenderer>
#include <array>

namespace pastiq {
namespace {

constexpr std::array kIconSizes = {16, 22, 24, 32, 48, 64};
// The same two tones as the glyph: light marks with a dark edge read on any panel.
const QColor kLight(0xf4, 0xf4, 0xf4);
const QColor kDark(0x1c, 0x1c, 0x1c);
const QColor kAlert(0xe8, 0x74, 0x1f);

// Light text centred in `box`; with a dark edge where it may stand on a light panel.
void drawLightText(QPainter& painter, TrayTextOutlines& outlines, const QString& text,
                   const QRectF& box, bool withEdge) {
    const TrayTextOutlines::Fitted& fitted = outlines.fitted(text, box);
    painter.setBrush(kLight);
    if (withEdge) {
        painter.setPen(QPen(kDark, std::max(1.0, fitted.pixelSize / 6.0), Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(fitted.path);
    }
    // The fill again without the pen keeps the edge outside the letters.
    painter.setPen(Qt::NoPen);
    painter.drawPath(fitted.path);
}

// "3 of 10" as "3" over a rule over "10", on a dark chip with a light edge.
void drawProgress(QPainter& painter, TrayTextOutlines& outlines, int size,
                  const QString& progress) {
    const qreal side = size;
    const QRectF chip(0.5, 0.5, side - 1, side - 1);
    painter.setPen(QPen(kLight, 1));
    painter.setBrush(kDark);
    painter.drawRoundedRect(chip, side * 0.2, side * 0.2);

    const QStringList parts = progress.split(QStringLiteral(" of "));
    const qreal inset = side * 0.1;
    if (parts.size() != 2) {
        drawLightText(painter, outlines, progress, chip.adjusted(inset, inset, -inset, -inset),
                      false);
        return;
    }
    const qreal half = side / 2;
    drawLightText(painter, outlines, parts[0],
                  QRectF(inset, inset, side - 2 * inset, half - inset * 1.4), false);
    painter.setPen(QPen(kLight, std::max(1.0, side / 24)));
    painter.drawLine(QPointF(side * 0.25, half), QPointF(side * 0.75, half));
    drawLightText(painter, outlines, parts[1],
                  QRectF(inset, half + inset * 0.4, side - 2 * inset, half - inset * 1.4), false);
}

void drawAlertMark(QPainter& painter, TrayTextOutlines& outlines, int size) {
    const qreal radius = size * 0.24;
    const QPointF centre(size - radius - 0.5, size - radius - 0.5);
    painter.setPen(QPen(kDark, std::max(1.0, size / 20.0)));
    painter.setBrush(kAlert);
    painter.drawEllipse(centre, radius, radius);
    drawLightText(painter, outlines, QStringLiteral("!"),
                  QRectF(centre.x() - radius / 2, centre.y() - radius * 0.7, radius, radius * 1.4),
                  true);
}

}  // namespace

TrayIconPainter::TrayIconPainter()
    : glyph_(std::make_unique<QSvgRenderer>(QStringLiteral(":/pastiq/icons/TrayIcon.svg"))),
      fallbackGlyph_(QIcon::fromTheme(QStringLiteral("go-next"))) {}

TrayIconPainter::~TrayIconPainter() = default;

QIcon TrayIconPainter::paint(const TrayIconState& state) const {
    QIcon icon;
    for (const int size : kIconSizes) {
        icon.addPixmap(paintAt(size, state));
    }
    return icon;
}

QPixmap TrayIconPainter::paintAt(int size, const TrayIconState& state) const {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (state.mark == TrayIconState::Mark::progress) {
        drawProgress(painter, outlines_, size, state.title);
        return pixmap;
    }
    drawGlyph(painter, size);
    if (state.mark == TrayIconState::Mark::message) {
        drawAlertMark(painter, outlines_, size);
    }
    return pixmap;
}

// The bundled glyph, else the theme's chevron, else nothing: an empty icon still leaves the
// tray entry to click.
void TrayIconPainter::drawGlyph(QPainter& painter, int size) const {
    if (glyph_->isValid()) {
        glyph_->render(&painter, QRectF(0, 0, size, size));
    } else if (!fallbackGlyph_.isNull()) {
        fallbackGlyph_.paint(&painter, QRect(0, 0, size, size));
    }
}

}  // namespace pastiq
