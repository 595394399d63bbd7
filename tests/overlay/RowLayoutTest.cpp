#include <gtest/gtest.h>
#include <QFontMetrics>

#include "OverlayTestSupport.h"

#include "model/QueueItem.h"
#include "overlay/OverlayController.h"
#include "overlay/OverlayStyle.h"
#include "overlay/RowGeometry.h"
#include "overlay/RowTextLayout.h"

namespace pastiq {
namespace {

constexpr QChar ellipsis(0x2026);
constexpr int textWidth = 200;

struct LinesCase {
    const char* name;
    QString text;
    QStringList expectedStarts;  // what each shown line starts with
    bool endsWithEllipsis;
};

class RowTextLayoutTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(RowTextLayoutTest, ShowsAtMostTwoLinesAndMarksWhatIsCut) {
    const LinesCase& c = GetParam();
    const QStringList lines = RowTextLayout::lines(c.text, OverlayStyle::bodyFont(), textWidth);
    ASSERT_EQ(lines.size(), c.expectedStarts.size()) << lines.join('|').toStdString();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith(c.expectedStarts[i]))
            << lines[i].toStdString() << " should start with " << c.expectedStarts[i].toStdString();
        EXPECT_LE(QFontMetrics(OverlayStyle::bodyFont()).horizontalAdvance(lines[i]), textWidth);
    }
    EXPECT_EQ(lines.back().endsWith(ellipsis), c.endsWithEllipsis) << lines.back().toStdString();
}

const QString longWord = QString(80, QLatin1Char('W'));
const QString longSentence = QStringLiteral(
    "one two three four five six seven eight nine ten eleven twelve thirteen fourteen "
    "fifteen sixteen seventeen eighteen nineteen twenty twenty-one twenty-two");

INSTANTIATE_TEST_SUITE_P(
    Texts, RowTextLayoutTest,
    ::testing::Values(
        LinesCase{"short", QStringLiteral("Alice"), {QStringLiteral("Alice")}, false},
        LinesCase{"empty", QString(), {QString()}, false},
        LinesCase{"twoLines",
                  QStringLiteral("first\nsecond"),
                  {QStringLiteral("first"), QStringLiteral("second")},
                  false},
        LinesCase{"fiveLines",
                  QStringLiteral("l1\nl2\nl3\nl4\nl5"),
                  {QStringLiteral("l1"), QStringLiteral("l2")},
                  true},
        LinesCase{"carriageReturns",
                  QStringLiteral("a\r\nb\r\nc"),
                  {QStringLiteral("a"), QStringLiteral("b")},
                  true},
        LinesCase{"wrapsWords", longSentence, {QStringLiteral("one two"), QString()}, true},
        LinesCase{
            "breaksLongWord", longWord, {QStringLiteral("WWW"), QStringLiteral("WWW")}, true}),
    overlaytest::caseName<LinesCase>);

std::string repeated(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

struct LinesNeededCase {
    const char* name;
    std::vector<std::string> texts;
    int budget;
    int expected;
};

class LinesNeededTest : public ::testing::TestWithParam<LinesNeededCase> {};

TEST_P(LinesNeededTest, GivesEveryRowTheLinesTheLongestItemNeeds) {
    const LinesNeededCase& c = GetParam();
    std::vector<QueueItem> items;
    for (const std::string& text : c.texts) {
        items.emplace_back(text);
    }
    EXPECT_EQ(RowGeometry::linesNeeded(items, textWidth, c.budget), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Queues, LinesNeededTest,
    ::testing::Values(LinesNeededCase{"shortItems", {"a", "bob@example.com", "4711", ""}, 100, 1},
                      LinesNeededCase{"oneMultiLineItem", {"a", "b\nc", "d"}, 100, 2},
                      LinesNeededCase{"oneLongItem", {"a", std::string(300, 'x'), "d"}, 100, 2},
                      LinesNeededCase{
                          "wideUnicode", {"a", repeated("\u65E5\u672C\u8A9E", 20)}, 100, 2},
                      LinesNeededCase{"asciiFits", {"Mmmmmmmmmm mm", "Wwwwwwwwwww"}, 100, 1}),
    overlaytest::caseName<LinesNeededCase>);

// Non-ASCII texts are judged by the font's widest glyph first; those that may not fit are
// measured, within a budget.
TEST(RowGeometryTest, MeasuresUncertainTextsWithinABudget) {
    const QFontMetrics metrics(OverlayStyle::bodyFont());
    const QString accented(QChar(0x00E9));
    const int count = textWidth / metrics.maxWidth() + 2;
    ASSERT_LT(count * metrics.horizontalAdvance(accented), textWidth) << "the font's é is narrow";
    const std::string text = QString(accented).repeated(count).toStdString();
    const std::vector<QueueItem> items{QueueItem(text), QueueItem(text)};
    EXPECT_EQ(RowGeometry::linesNeeded(items, textWidth, 2), 1) << "measured: they fit";
    EXPECT_EQ(RowGeometry::linesNeeded(items, textWidth, 1), 2)
        << "too many to measure: two lines are safe, nothing is cut";
}

TEST(RowGeometryTest, NumberColumnIs22WideAndWidensForTheWholeQueueWhenNumbersDoNot) {
    EXPECT_EQ(RowGeometry(1, false, 10).numberColumnWidth(), 22);
    const int wide = QFontMetrics(OverlayStyle::captionFont()).horizontalAdvance("1000000");
    EXPECT_EQ(RowGeometry(1, false, 1'000'000).numberColumnWidth(), std::max(22, wide));
}

TEST(RowGeometryTest, RowHeightGrowsWithTheSecondLineAndTheCellLabel) {
    const RowGeometry single(1, false, 10);
    const RowGeometry twoLines(2, false, 10);
    const RowGeometry labelled(1, true, 10);
    EXPECT_GT(twoLines.slotHeight(), single.slotHeight());
    EXPECT_GT(labelled.slotHeight(), single.slotHeight());
    // The editor, at least 22 high, fits every row.
    const QRect row = single.rowRect(QRect(0, 0, 300, single.slotHeight()));
    EXPECT_TRUE(row.contains(single.editorRect(row)));
    EXPECT_GE(single.editorRect(row).height(), RowGeometry::editorMinimumHeight);
}

TEST(RowGeometryTest, PaddingsAndColumnsPlaceTextAfterTheNumberAndBeforeThePencil) {
    const RowGeometry geometry(1, false, 10);
    const QRect row = geometry.rowRect(QRect(0, 0, 300, geometry.slotHeight()));
    EXPECT_EQ(row.left(), RowGeometry::listPadding);
    EXPECT_EQ(geometry.numberRect(row).left(), row.left() + 8);
    EXPECT_EQ(geometry.numberRect(row).width(), 22);
    EXPECT_EQ(geometry.textRect(row, true).left(), row.left() + 8 + 22 + 8);
    EXPECT_EQ(geometry.textRect(row, false).left(), geometry.textRect(row, true).left());
    EXPECT_LT(geometry.textRect(row, true).right(), geometry.pencilRect(row).left());
    EXPECT_EQ(geometry.pencilRect(row).right(), row.right() - 8);
}

struct FrameCase {
    const char* name;
    std::optional<QRect> available;
    QRect expected;
};

class DefaultFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(DefaultFrameTest, Is300By420And24InFromTheTopRightCorner) {
    EXPECT_EQ(OverlayController::defaultFrame(GetParam().available), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, DefaultFrameTest,
    ::testing::Values(FrameCase{"laptop", QRect(0, 25, 1440, 875), QRect(1116, 49, 300, 420)},
                      FrameCase{"secondHead", QRect(1920, 0, 1280, 1024),
                                QRect(2876, 24, 300, 420)},
                      FrameCase{"noScreen", std::nullopt, QRect(476, 24, 300, 420)}),
    overlaytest::caseName<FrameCase>);

}  // namespace
}  // namespace pastiq
