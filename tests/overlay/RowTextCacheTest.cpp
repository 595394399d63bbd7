#include <gtest/gtest.h>
#include <QStaticText>

#include "overlay/OverlayStyle.h"
#include "overlay/RowTextCache.h"
#include "overlay/RowTextLayout.h"

namespace pastiq {
namespace {

struct Drawn {
    const char* text;
    int width;
    bool largeFont;
};

// Rows are drawn from kept layouts: a row whose text, width or font changed must never be
// drawn from the layout of what it was before.
TEST(RowTextCacheTest, LaysOutAnewWhateverDecidesTheLayoutChanged) {
    const QFont body = OverlayStyle::bodyFont();
    QFont large = body;
    large.setPointSizeF(body.pointSizeF() * 2);
    const char* const longText = "a text long enough to need a second line in a narrow row";
    RowTextCache cache;
    for (const Drawn& drawn :
         {Drawn{longText, 400, false}, Drawn{longText, 120, false}, Drawn{longText, 120, true},
          Drawn{"short", 120, true}, Drawn{longText, 400, false}}) {
        const QFont& font = drawn.largeFont ? large : body;
        const QString text = QString::fromUtf8(drawn.text);
        const std::vector<QStaticText>& lines = cache.lines(text, font, drawn.width);
        const QStringList expected = RowTextLayout::lines(text, font, drawn.width);
        ASSERT_EQ(static_cast<qsizetype>(lines.size()), expected.size())
            << drawn.text << " in " << drawn.width;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].text(), expected[static_cast<qsizetype>(i)]);
            QStaticText fresh(expected[static_cast<qsizetype>(i)]);
            fresh.prepare(QTransform(), font);
            EXPECT_EQ(lines[i].size(), fresh.size()) << "laid out in the font asked for";
        }
    }
}

}  // namespace
}  // namespace pastiq
