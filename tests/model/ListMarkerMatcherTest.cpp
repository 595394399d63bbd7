// The list-marker rule on single lines: which leading bullets and numbers are stripped, with
// Unicode white space and digits, and bytes that are not UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "model/ClipboardParser.h"
#include "model/ListMarkerMatcher.h"
#include "support/TestCaseName.h"

namespace pastiq {
namespace {

struct MarkerCase {
    const char* name;
    std::string line;
    std::string text;  // what the item's text must be
};

std::string withNul(std::string_view text) {
    return std::string(text) + '\0' + "z";
}

const MarkerCase kMarkerCases[] = {
    {"dot number", "1. one", "one"},
    {"paren number", "2) two", "two"},
    {"hyphen", "- three", "three"},
    {"asterisk", "* four", "four"},
    {"bullet", "\xE2\x80\xA2 five", "five"},
    {"indented long number and run", "  10.   six", "six"},
    {"tab around marker", "\t-\tx", "x"},
    {"form feed after marker", "-\fx", "x"},
    {"hyphen and one space", "- ", ""},
    {"no space after hyphen", "-foo", "-foo"},
    {"decimal number", "1.5 kg", "1.5 kg"},
    {"hash number", "#1 item", "#1 item"},
    {"parenthesised number", "(1) item", "(1) item"},
    {"number without dot", "1 item", "1 item"},
    {"only one marker stripped", "- - x", "- x"},
    {"only one number stripped", "1. 2. x", "2. x"},
    {"en dash is no bullet", "\xE2\x80\x93 x", "\xE2\x80\x93 x"},
    {"white bullet is no bullet", "\xE2\x97\xA6 x", "\xE2\x97\xA6 x"},
    {"fullwidth full stop is no dot", "1\xEF\xBC\x8E x", "1\xEF\xBC\x8E x"},
    {"marker alone", "-", "-"},
    {"digits alone", "12", "12"},
    {"plain text with leading spaces", "  plain", "  plain"},
    {"no-break space before", "\xC2\xA0- x", "x"},
    {"no-break space after", "-\xC2\xA0x", "x"},
    {"ideographic space after", "-\xE3\x80\x80x", "x"},
    {"ogham space mark before", "\xE1\x9A\x80* x", "x"},
    {"em spaces run", "1.\xE2\x80\x83\xE2\x80\x83x y", "x y"},
    {"line separator after", "-\xE2\x80\xA8x", "x"},
    {"paragraph separator after", "-\xE2\x80\xA9x", "x"},
    {"arabic-indic digits", "\xD9\xA1\xD9\xA2. x", "x"},
    {"fullwidth digit", "\xEF\xBC\x91) x", "x"},
    {"mathematical bold digit", "\xF0\x9D\x9F\x8F. x", "x"},
    {"mixed-script digits", "1\xD9\xA2\xEF\xBC\x93. x", "x"},
    {"vertical tab after marker", "-\vx", "-\vx"},
    {"vertical tab before marker", "\v- x", "\v- x"},
    {"next line after marker", "-\xC2\x85x", "-\xC2\x85x"},
    {"zero width space is no space", "\xE2\x80\x8B- x", "\xE2\x80\x8B- x"},
    {"invalid byte after marker", "-\xFFx", "-\xFFx"},
    {"invalid byte before marker", "\xFF- x", "\xFF- x"},
    {"invalid byte after the run", "-  \xFFx", "\xFFx"},
    {"truncated sequence after marker", "-\xE2\x80", "-\xE2\x80"},
    {"truncated bullet", "\xE2\x80 x", "\xE2\x80 x"},
    {"lone continuation byte", "\x80. x", "\x80. x"},
    {"overlong space", "-\xC0\xA0x", "-\xC0\xA0x"},
    {"encoded surrogate", "\xED\xA0\x80- x", "\xED\xA0\x80- x"},
    {"nul after marker run", withNul("- "), std::string("\0z", 2)},
    {"nul is no space", withNul("-"), withNul("-")},
};

class MarkerTest : public testing::TestWithParam<MarkerCase> {};

TEST_P(MarkerTest, StripsExactlyTheMarker) {
    const MarkerCase& c = GetParam();
    const std::size_t length = ListMarkerMatcher::markerLength(c.line);
    EXPECT_EQ(c.line.substr(length), c.text);
}

TEST_P(MarkerTest, ParsesAsOneListItem) {
    const MarkerCase& c = GetParam();
    const auto parsed = ClipboardParser::parse(c.line);
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->items.size(), 1U);
    EXPECT_EQ(parsed->items.front().text(), c.text);
}

INSTANTIATE_TEST_SUITE_P(Lines, MarkerTest, testing::ValuesIn(kMarkerCases),
                         [](const testing::TestParamInfo<MarkerCase>& caseInfo) {
                             return testCaseName(caseInfo.param.name);
                         });

TEST(ListMarkerMatcher, EmptyLineHasNoMarker) {
    EXPECT_EQ(ListMarkerMatcher::markerLength(""), 0U);
}

TEST(ListMarkerMatcher, EveryPrefixOfAMultiByteLineIsSafe) {
    // Cutting a line anywhere, also inside a sequence, must neither crash nor over-read.
    const std::string line = "\xE3\x80\x80\xD9\xA1\xEF\xBC\x91.\xE2\x80\xA8\xF0\x9D\x9F\x8F";
    for (std::size_t size = 0; size <= line.size(); ++size) {
        const std::string prefix = line.substr(0, size);
        EXPECT_LE(ListMarkerMatcher::markerLength(prefix), prefix.size());
    }
}

}  // namespace
}  // namespace pastiq
