// How whole copied texts are read: line breaks, trimming, the grid reading and its fallback
// to a list, and flattenGrid.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "model/ClipboardParser.h"
#include "support/ModelInvariants.h"
#include "support/TestCaseName.h"

namespace pastiq {
namespace {

using Texts = std::vector<std::string>;

Texts textsOf(const std::vector<QueueItem>& items) {
    Texts texts;
    for (const QueueItem& item : items) {
        texts.push_back(item.text());
    }
    return texts;
}

std::vector<std::string> cellLabelsOf(const std::vector<QueueItem>& items) {
    std::vector<std::string> labels;
    labels.reserve(items.size());
    for (const QueueItem& item : items) {
        labels.push_back(item.cellLabel().value_or("-"));
    }
    return labels;
}

struct ParseCase {
    const char* name;
    std::string text;
    std::string label;  // SourceKind label
    Texts texts;        // in paste order
};

const ParseCase kParseCases[] = {
    {"one space", " ", "List", {" "}},
    {"crlf", "a\r\nb", "List", {"a", "b"}},
    {"cr only", "a\rb", "List", {"a", "b"}},
    {"mixed line ends", "a\r\nb\rc\nd", "List", {"a", "b", "c", "d"}},
    {"cr cr lf is two breaks", "a\r\r\nb", "List", {"a", "", "b"}},
    {"lf cr is two breaks", "a\n\rb", "List", {"a", "", "b"}},
    {"markers",
     "1. one\n2) two\n- three\n* four\n\xE2\x80\xA2 five\n  10.   six",
     "List",
     {"one", "two", "three", "four", "five", "six"}},
    {"whole lines",
     "-foo\n1.5 kg\n#1 item\n(1) item",
     "List",
     {"-foo", "1.5 kg", "#1 item", "(1) item"}},
    {"inner empty line kept", "a\n\nb", "List", {"a", "", "b"}},
    {"edge empty lines dropped", "\n\na\nb\n\n\n", "List", {"a", "b"}},
    {"edge crlf lines dropped", "\r\n\r\na\r\n\r\n", "List", {"a"}},
    {"last line of spaces stays", "a\n  ", "List", {"a", "  "}},
    {"line of tabs and spaces stays", "a\n \t ", "List", {"a", " \t "}},
    {"grid",
     "a\tb\nc\td",
     "2\xC3\x97"
     "2 grid",
     {"a", "b", "c", "d"}},
    {"unequal cells fall back", "a\tb\nc", "List", {"a\tb", "c"}},
    {"fallback still strips markers", "- a\tb\n1. c", "List", {"a\tb", "c"}},
    {"empty line breaks a grid", "a\tb\n\nc\td", "List", {"a\tb", "", "c\td"}},
    {"space line breaks a grid", "a\tb\n \n", "List", {"a\tb", " "}},
    {"cells keep spaces",
     " a \tb \n",
     "1\xC3\x97"
     "2 grid",
     {" a ", "b "}},
    {"cells keep markers",
     "- a\tb\n1. c\td",
     "2\xC3\x97"
     "2 grid",
     {"- a", "b", "1. c", "d"}},
    {"single tabbed line is a list", "a\tb", "List", {"a\tb"}},
    {"trailing lf makes a 1-row grid",
     "a\tb\n",
     "1\xC3\x97"
     "2 grid",
     {"a", "b"}},
    {"trailing crlf makes a 1-row grid",
     "a\tb\r\n",
     "1\xC3\x97"
     "2 grid",
     {"a", "b"}},
    {"trailing cr makes a 1-row grid",
     "a\tb\r",
     "1\xC3\x97"
     "2 grid",
     {"a", "b"}},
    {"leading lf makes a 1-row grid",
     "\na\tb",
     "1\xC3\x97"
     "2 grid",
     {"a", "b"}},
    {"1 x 5 grid",
     "a\tb\tc\td\te\n",
     "1\xC3\x97"
     "5 grid",
     {"a", "b", "c", "d", "e"}},
    {"empty cells",
     "\tb\t\nc\t\t\n",
     "2\xC3\x97"
     "3 grid",
     {"", "b", "", "c", "", ""}},
    {"tabs only",
     "\t\n\t",
     "2\xC3\x97"
     "2 grid",
     {"", "", "", ""}},
    {"grid between empty lines",
     "\n\na\tb\r\nc\td\r\n\r\n",
     "2\xC3\x97"
     "2 grid",
     {"a", "b", "c", "d"}},
    {"crlf grid",
     "a\tb\r\nc\td",
     "2\xC3\x97"
     "2 grid",
     {"a", "b", "c", "d"}},
    {"invalid utf-8 kept", "\xFF\xFE\n\xC3", "List", {"\xFF\xFE", "\xC3"}},
    {"invalid utf-8 in cells",
     "\xFF\t\xC3\n\x80\tb",
     "2\xC3\x97"
     "2 grid",
     {"\xFF", "\xC3", "\x80", "b"}},
    {"nul bytes kept", std::string("a\0b\nc", 5), "List", {std::string("a\0b", 3), "c"}},
    // A spreadsheet quotes a cell holding a line break, a tab or a quote, doubling its quotes.
    {"quoted cells",
     "Name\tNote\n\"Ada\nLovelace\"\t\"said \"\"hi\"\"\"\nBob\tplain\n",
     "3\xC3\x97"
     "2 grid",
     {"Name", "Note", "Ada\nLovelace", "said \"hi\"", "Bob", "plain"}},
    {"quoted tab and crlf",
     "\"a\tb\"\t\"c\r\nd\"\r\n\"\"\te\r\n",
     "2\xC3\x97"
     "2 grid",
     {"a\tb", "c\nd", "", "e"}},
    // LibreOffice Calc 7.4 copies a range without quotes (a line break in a cell becomes a space).
    {"calc copy with quotes inside cells",
     "Name\tNote\tTabbed\nAda Lovelace\tsaid \"hi\"\tab\nBob\tplain\t5\" screen\n",
     "3\xC3\x97"
     "3 grid",
     {"Name", "Note", "Tabbed", "Ada Lovelace", "said \"hi\"", "ab", "Bob", "plain", "5\" screen"}},
    {"unclosed quote reads as before",
     "\"a\tb\nc\td",
     "2\xC3\x97"
     "2 grid",
     {"\"a", "b", "c", "d"}},
    {"text after a closing quote reads as before",
     "\"a\"b\tc\nd\te",
     "2\xC3\x97"
     "2 grid",
     {"\"a\"b", "c", "d", "e"}},
    {"quoted cells that make no grid read as before",
     "\"a\nb\"\tc\nd",
     "List",
     {"\"a", "b\"\tc", "d"}},
    {"quoted lines without tabs stay a list", "\"a\nb\"\n", "List", {"\"a", "b\""}},
};

class ParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ReadsTextAsExpected) {
    const ParseCase& c = GetParam();
    const auto parsed = ClipboardParser::parse(c.text);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->sourceKind.label(), c.label);
    EXPECT_EQ(textsOf(parsed->items), c.texts);
    EXPECT_EQ(parsedInvariantViolation(*parsed), std::nullopt);
    EXPECT_EQ(ClipboardParser::itemCount(c.text), parsed->items.size());
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseTest, testing::ValuesIn(kParseCases),
                         [](const testing::TestParamInfo<ParseCase>& caseInfo) {
                             return testCaseName(caseInfo.param.name);
                         });

TEST(ClipboardParser, TextWithoutNonEmptyLineYieldsNothing) {
    for (const std::string text : {"", "\n", "\n\n\n", "\r", "\r\n\r\n", "\r\r\n\n"}) {
        EXPECT_EQ(ClipboardParser::parse(text), std::nullopt) << testing::PrintToString(text);
        EXPECT_EQ(ClipboardParser::itemCount(text), 0U);
    }
}

TEST(ClipboardParser, GridCellsKnowTheirPlace) {
    const auto parsed = ClipboardParser::parse("a\tb\nc\td\n");
    ASSERT_TRUE(parsed && parsed->grid);
    EXPECT_EQ(parsed->sourceKind, SourceKind::grid(2, 2));
    EXPECT_EQ(cellLabelsOf(parsed->items),
              (std::vector<std::string>{"R1C1", "R1C2", "R2C1", "R2C2"}));
    EXPECT_EQ((*parsed->grid)[1][0].id(), parsed->items[2].id());
}

TEST(ClipboardParser, ListItemsHaveNoCell) {
    const auto parsed = ClipboardParser::parse("a\tb\nc");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_FALSE(parsed->grid.has_value());
    EXPECT_EQ(cellLabelsOf(parsed->items), (std::vector<std::string>{"-", "-"}));
}

TEST(ClipboardParser, EveryParseDrawsFreshIds) {
    const std::string text = "a\tb\nc\td\n";
    const auto first = ClipboardParser::parse(text);
    const auto second = ClipboardParser::parse(text);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(textsOf(first->items), textsOf(second->items));
    std::set<Uuid> ids;
    for (const auto* parsed : {&*first, &*second}) {
        for (const QueueItem& item : parsed->items) {
            EXPECT_EQ(item.id().version(), 4);
            ids.insert(item.id());
        }
    }
    EXPECT_EQ(ids.size(), 8U);
}

TEST(ClipboardParser, LargeListKeepsEveryLine) {
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += (i % 2 == 0 ? "- item " : "") + std::to_string(i) + "\r\n";
    }
    const auto parsed = ClipboardParser::parse(text);
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->items.size(), 5000U);
    EXPECT_EQ(parsed->items[4998].text(), "item 4998");
    EXPECT_EQ(parsed->items[4999].text(), "4999");
    EXPECT_EQ(parsedInvariantViolation(*parsed), std::nullopt);
}

Grid gridOf(const std::vector<Texts>& rows) {
    Grid grid;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        GridRow& row = grid.emplace_back();
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            row.emplace_back(rows[r][c], static_cast<std::int64_t>(r),
                             static_cast<std::int64_t>(c));
        }
    }
    return grid;
}

struct FlattenCase {
    const char* name;
    std::vector<Texts> rows;
    Texts rowOrder;
    Texts columnOrder;
};

const FlattenCase kFlattenCases[] = {
    {"2 x 3",
     {{"a", "b", "c"}, {"d", "e", "f"}},
     {"a", "b", "c", "d", "e", "f"},
     {"a", "d", "b", "e", "c", "f"}},
    {"1 x 3", {{"a", "b", "c"}}, {"a", "b", "c"}, {"a", "b", "c"}},
    {"3 x 1", {{"a"}, {"b"}, {"c"}}, {"a", "b", "c"}, {"a", "b", "c"}},
    {"empty", {}, {}, {}},
};

TEST(ClipboardParser, FlattenGridInBothOrders) {
    for (const FlattenCase& c : kFlattenCases) {
        const Grid grid = gridOf(c.rows);
        const auto rowOrder = ClipboardParser::flattenGrid(grid, false);
        const auto columnOrder = ClipboardParser::flattenGrid(grid, true);
        EXPECT_EQ(textsOf(rowOrder), c.rowOrder) << c.name;
        EXPECT_EQ(textsOf(columnOrder), c.columnOrder) << c.name;
        EXPECT_EQ(columnOrder.capacity(), columnOrder.size()) << c.name << ": reserved exactly";
    }
}

}  // namespace
}  // namespace pastiq
