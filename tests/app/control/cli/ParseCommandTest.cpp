// `pastiq parse` end to end on string streams: exact JSON, escaping, order and exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/control/cli/ParseCommand.h"

namespace pastiq {
namespace {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun runParse(const std::vector<std::string_view>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runParseCommand(args, in, out, err);
    return {status, out.str(), err.str()};
}

struct OutputCase {
    const char* name;
    std::vector<std::string_view> args;
    std::string input;
    std::string json;
};

const OutputCase kOutputCases[] = {
    {"list",
     {},
     "- a\n2. b\n",
     R"({"kind":"list","label":"List","items":[{"text":"a"},{"text":"b"}]})"},
    {"grid",
     {},
     "a\tb\r\nc\td\r\n",
     R"({"kind":"grid","rows":2,"cols":2,"label":"2×2 grid","items":[)"
     R"({"text":"a","row":0,"col":0,"cell":"R1C1"},{"text":"b","row":0,"col":1,"cell":"R1C2"},)"
     R"({"text":"c","row":1,"col":0,"cell":"R2C1"},{"text":"d","row":1,"col":1,"cell":"R2C2"}]})"},
    {"transposed grid",
     {"--transposed"},
     "a\tb\tc\nd\te\tf\n",
     R"({"kind":"grid","rows":2,"cols":3,"label":"2×3 grid","items":[)"
     R"({"text":"a","row":0,"col":0,"cell":"R1C1"},{"text":"d","row":1,"col":0,"cell":"R2C1"},)"
     R"({"text":"b","row":0,"col":1,"cell":"R1C2"},{"text":"e","row":1,"col":1,"cell":"R2C2"},)"
     R"({"text":"c","row":0,"col":2,"cell":"R1C3"},{"text":"f","row":1,"col":2,"cell":"R2C3"}]})"},
    {"transposed list is unchanged",
     {"--transposed"},
     "b\na",
     R"({"kind":"list","label":"List","items":[{"text":"b"},{"text":"a"}]})"},
    {"stdin as dash", {"-"}, "x", R"({"kind":"list","label":"List","items":[{"text":"x"}]})"},
    {"quotes and backslashes",
     {},
     "say \"hi\" \\ bye",
     R"({"kind":"list","label":"List","items":[{"text":"say \"hi\" \\ bye"}]})"},
    {"control characters",
     {},
     std::string("\x01\b\f\x1f\x7f|\ttab|\0", 12),
     R"({"kind":"list","label":"List","items":[{"text":"\u0001\b\f\u001f)"
     "\x7f"
     R"(|\ttab|\u0000"}]})"},
    {"unicode kept as is",
     {},
     "\xC3\xA9 \xF0\x9F\x98\x80 \xE2\x80\xA8",
     R"({"kind":"list","label":"List","items":[{"text":")"
     "\xC3\xA9 \xF0\x9F\x98\x80 \xE2\x80\xA8"
     R"("}]})"},
    {"invalid utf-8 replaced",
     {},
     "a\xFF"
     "b\xE2\x80"
     "c\xED\xA0\x80",
     R"({"kind":"list","label":"List","items":[{"text":")"
     "a\xEF\xBF\xBD"
     "b\xEF\xBF\xBD"
     "c\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
     R"("}]})"},
    {"empty texts",
     {},
     "a\n\nb",
     R"({"kind":"list","label":"List","items":[{"text":"a"},{"text":""},{"text":"b"}]})"},
};

TEST(ParseCommand, PrintsOneJsonObject) {
    for (const OutputCase& c : kOutputCases) {
        const CommandRun run = runParse(c.args, c.input);
        EXPECT_EQ(run.status, 0) << c.name;
        EXPECT_EQ(run.out, c.json + "\n") << c.name;
        EXPECT_EQ(run.err, "") << c.name;
    }
}

TEST(ParseCommand, NothingToQueueExitsWithOne) {
    for (const std::string input : {"", "\n\r\n\r"}) {
        const CommandRun run = runParse({}, input);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "nothing to queue\n");
    }
}

TEST(ParseCommand, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string_view>> cases = {
        {"--bogus"}, {"-t"}, {"a.txt", "b.txt"}, {"/nonexistent/pastiq-input.txt"}};
    for (const auto& args : cases) {
        const CommandRun run = runParse(args, "a\n");
        EXPECT_EQ(run.status, 2) << args.front();
        EXPECT_EQ(run.out, "") << args.front();
        EXPECT_NE(run.err, "") << args.front();
    }
}

TEST(ParseCommand, ReadsAFileInsteadOfStandardInput) {
    const std::string path = testing::TempDir() + "-pastiq-parse-input.txt";
    std::ofstream(path, std::ios::binary) << "1) from file\r\n";
    const CommandRun run = runParse({"--", path}, "from stdin\n");
    std::remove(path.c_str());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, R"({"kind":"list","label":"List","items":[{"text":"from file"}]})"
                       "\n");
}

TEST(ParseCommand, UnreadableFileIsNamed) {
    const CommandRun run = runParse({"/nonexistent/pastiq-input.txt"});
    EXPECT_NE(run.err.find("/nonexistent/pastiq-input.txt"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace pastiq
