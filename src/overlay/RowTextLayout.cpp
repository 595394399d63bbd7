#include "overlay/RowTextLayout.h"

#include <QFontMetrics>
#include <QTextLayout>
#include <QTextOption>

namespace pastiq {

namespace {

constexpr QChar ellipsis(0x2026);

// QTextLayout breaks lines only at U+2028; the queue's texts carry plain line feeds.
QString withLayoutBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

QString lineText(const QString& text, const QTextLine& line) {
    QString part = text.mid(line.textStart(), line.textLength());
    while (part.endsWith(QChar::LineSeparator) || part.endsWith(QLatin1Char(' '))) {
        part.chop(1);
    }
    return part;
}

}  // namespace

QString RowTextLayout::shownText(const std::string& text) {
    if (text.size() <= shownBytes) {
        return QString::fromStdString(text);
    }
    std::size_t cut = shownBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0U) == 0x80U) {
        --cut;  // back to the first byte of the character the limit falls into
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(cut)) + ellipsis;
}

QStringList RowTextLayout::lines(const QString& text, const QFont& font, int width) {
    const QString laidOut = withLayoutBreaks(text);
    QTextLayout layout(laidOut, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);

    QStringList shown;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (shown.size() == maxLines) {
            // More text follows the last line shown: say so.
            shown.back() = withEllipsis(shown.back(), font, width);
            break;
        }
        shown.append(lineText(laidOut, line));
    }
    layout.endLayout();
    if (shown.isEmpty()) {
        shown.append(QString());
    }
    return shown;
}

int RowTextLayout::lineCount(const QString& text, const QFont& font, int width) {
    return static_cast<int>(lines(text, font, width).size());
}

QString RowTextLayout::withEllipsis(const QString& line, const QFont& font, int width) {
    const QFontMetrics metrics(font);
    QString appended = line + ellipsis;
    if (metrics.horizontalAdvance(appended) <= width) {
        return appended;
    }
    return metrics.elidedText(appended, Qt::ElideRight, width);
}

}  // namespace pastiq
