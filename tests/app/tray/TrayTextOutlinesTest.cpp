#include <gtest/gtest.h>
#include <QFont>
#include <QPainterPath>

#include "app/tray/TrayTextOutlines.h"

namespace pastiq {
namespace {

struct OutlineCase {
    const char* name;
    const char* text;
    int pixelSize;
};

class TrayTextOutlinesTest : public ::testing::TestWithParam<OutlineCase> {};

// The icon's digits must look as QPainterPath::addText draws them, whether the glyphs' outlines
// were loaded for this text or are reused from an earlier one.
TEST_P(TrayTextOutlinesTest, OutlinesAreThoseAddTextMakes) {
    QFont font;
    font.setBold(true);
    font.setPixelSize(GetParam().pixelSize);
    const QString text = QString::fromUtf8(GetParam().text);
    const QPointF baseline(1.25, 9.5);
    QPainterPath expected;
    expected.addText(baseline, font, text);

    TrayTextOutlines outlines;
    (void)outlines.outline(QPointF(3, 4), font, QStringLiteral("1234567890!"));  // loads glyphs
    const QPainterPath made = outlines.outline(baseline, font, text);

    ASSERT_EQ(made.elementCount(), expected.elementCount());
    for (int i = 0; i < made.elementCount(); ++i) {
        const QPainterPath::Element got = made.elementAt(i);
        const QPainterPath::Element want = expected.elementAt(i);
        EXPECT_EQ(got.type, want.type) << "element " << i;
        EXPECT_NEAR(got.x, want.x, 1e-9) << "element " << i;
        EXPECT_NEAR(got.y, want.y, 1e-9) << "element " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TrayTextOutlinesTest,
    ::testing::Values(OutlineCase{"digit", "7", 9}, OutlineCase{"count", "500001", 13},
                      OutlineCase{"million", "1000000", 5}, OutlineCase{"mark", "!", 40},
                      OutlineCase{"words", "0 of 0", 22}),
    [](const ::testing::TestParamInfo<OutlineCase>& param) { return param.param.name; });

}  // namespace
}  // namespace pastiq
