// Fuzzes the queue model: the input's first part is parsed as copied text, the rest picks
// session operations. Any broken invariant aborts, so libFuzzer keeps the input.
#include <fuzzer/FuzzedDataProvider.h>
#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/ClipboardParser.h"
#include "model/ListMarkerMatcher.h"
#include "model/QuotedGrid.h"
#include "support/ModelInvariants.h"
#include "support/SessionExerciser.h"

namespace {

constexpr std::size_t kMaxTextLength = 4096;
constexpr int kMaxSteps = 64;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "fuzz_model: %s\n", what.c_str());
    std::abort();
}

// ICU's own regular expression engine on the same rule, as an independent reference for
// the hand-rolled matcher. Only valid UTF-8 is compared: the reference sees U+FFFD instead of
// an invalid byte, which is neither white space nor a digit either.
std::string referenceTextAfterMarker(const icu::UnicodeString& line) {
    static const auto* const pattern = [] {
        UErrorCode status = U_ZERO_ERROR;
        const icu::UnicodeString source = icu::UnicodeString::fromUTF8(
            "^[\\t\\n\\f\\r\\p{Zs}\\p{Zl}\\p{Zp}]*(?:\\p{Nd}+[.)]|[-*\\u2022])"
            "[\\t\\n\\f\\r\\p{Zs}\\p{Zl}\\p{Zp}]+");
        auto* compiled = icu::RegexPattern::compile(source, 0, status);
        if (U_FAILURE(status)) {
            fail("cannot compile the reference pattern");
        }
        return compiled;
    }();
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(line, status));
    std::string text;
    if (matcher->lookingAt(status)) {
        line.tempSubString(matcher->end(status)).toUTF8String(text);
    } else {
        line.toUTF8String(text);
    }
    return text;
}

void checkMarkerAgainstReference(const std::string& text) {
    const std::string line = text.substr(0, text.find_first_of("\r\n"));
    const icu::UnicodeString decoded = icu::UnicodeString::fromUTF8(line);
    std::string roundTrip;
    if (decoded.toUTF8String(roundTrip) != line) {
        return;
    }
    const std::string actual = line.substr(pastiq::ListMarkerMatcher::markerLength(line));
    if (actual != referenceTextAfterMarker(decoded)) {
        fail("marker rule disagrees with the reference pattern");
    }
}

void checkParse(const std::string& text, const std::optional<pastiq::ParsedClipboard>& parsed) {
    if (pastiq::ClipboardParser::itemCount(text) != (parsed ? parsed->items.size() : 0)) {
        fail("the item count differs from what the parse made");
    }
    if (!parsed) {
        if (text.find_first_not_of("\r\n") != std::string::npos) {
            fail("a text with a non-empty line parsed to nothing");
        }
        return;
    }
    if (auto violation = pastiq::parsedInvariantViolation(*parsed)) {
        fail("parse: " + *violation);
    }
}

std::string withoutQuotes(std::string text) {
    std::erase(text, '"');
    return text;
}

// Unquoting only drops quotes: the cells joined back with tabs and line feeds hold every other
// character of the text, in order, and nothing else.
void checkQuotedGrid(const std::string& text) {
    const auto shape = pastiq::QuotedGrid::shapeOf(text);
    if (!shape) {
        return;
    }
    const auto rows = pastiq::QuotedGrid::cellsOf(text);
    std::string joined;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].size() != shape->cols) {
            fail("a quoted grid row has another cell count than its shape");
        }
        for (std::size_t col = 0; col < rows[row].size(); ++col) {
            joined += rows[row][col] + (col + 1 < rows[row].size() ? "\t" : "");
        }
        joined += row + 1 < rows.size() ? "\n" : "";
    }
    if (rows.size() != shape->rows || withoutQuotes(joined) != withoutQuotes(text)) {
        fail("the quoted grid lost or invented text");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string text = input.ConsumeRandomLengthString(kMaxTextLength);
    checkMarkerAgainstReference(text);
    checkQuotedGrid(text);
    auto parsed = pastiq::ClipboardParser::parse(text);
    checkParse(text, parsed);

    pastiq::PasteSession session(parsed ? std::move(*parsed) : pastiq::ParsedClipboard::empty());
    pastiq::SessionExerciser exerciser(session, [&](std::uint64_t upperBound) {
        return input.ConsumeIntegralInRange<std::uint64_t>(0, upperBound);
    });
    for (int step = 0; step < kMaxSteps && input.remaining_bytes() > 0; ++step) {
        if (auto violation = exerciser.step()) {
            fail("session: " + *violation);
        }
    }
    return 0;
}
