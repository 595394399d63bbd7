#include "model/ListMarkerMatcher.h"

#include <unicode/uniset.h>

#include <cstdio>
#include <cstdlib>

#include "model/Utf8CodePoint.h"

namespace pastiq {

namespace {

struct CharacterClasses {
    icu::UnicodeSet whiteSpace;
    icu::UnicodeSet digits;
};

icu::UnicodeSet frozenSet(const char* pattern) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeSet set(icu::UnicodeString(pattern, -1, US_INV), status);
    if (U_FAILURE(status)) {
        // The patterns are constants; a failure means the build is broken, not the input.
        std::fprintf(stderr, "pastiq: cannot build character class %s: %s\n", pattern,
                     u_errorName(status));
        std::abort();
    }
    set.freeze();
    return set;
}

// Built on first use; C++ guarantees one initialisation even when threads race, and the sets
// are frozen so that concurrent lookups are safe.
const CharacterClasses& characterClasses() {
    static const CharacterClasses classes{
        frozenSet("[\\u0009\\u000A\\u000C\\u000D\\p{Zs}\\p{Zl}\\p{Zp}]"),
        frozenSet("[\\p{Nd}]"),
    };
    return classes;
}

constexpr UChar32 kBullet = 0x2022;

bool isWhiteSpace(UChar32 c) {
    if (c < 0x80) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
    }
    return characterClasses().whiteSpace.contains(c) != 0;
}

bool isDigit(UChar32 c) {
    if (c < 0x80) {
        return c >= '0' && c <= '9';
    }
    return characterClasses().digits.contains(c) != 0;
}

// The position after the run of code points from pos that satisfy the predicate.
template <typename Predicate>
std::size_t skipWhile(std::string_view line, std::size_t pos, Predicate predicate) {
    while (pos < line.size()) {
        const Utf8CodePoint point = Utf8CodePoint::decodeAt(line, pos);
        if (!point.isValid() || !predicate(point.value)) {
            break;
        }
        pos += point.length;
    }
    return pos;
}

// The position after a number with its "." or ")", or after a bullet; 0 when neither is there.
std::size_t skipMarker(std::string_view line, std::size_t pos) {
    if (pos >= line.size()) {
        return 0;
    }
    const Utf8CodePoint first = Utf8CodePoint::decodeAt(line, pos);
    if (first.value == '-' || first.value == '*' || first.value == kBullet) {
        return pos + first.length;
    }
    if (!first.isValid() || !isDigit(first.value)) {
        return 0;
    }
    const std::size_t afterDigits = skipWhile(line, pos, isDigit);
    if (afterDigits < line.size() && (line[afterDigits] == '.' || line[afterDigits] == ')')) {
        return afterDigits + 1;
    }
    return 0;
}

}  // namespace

std::size_t ListMarkerMatcher::markerLength(std::string_view line) {
    // The classes are disjoint (white space, digits, the marker characters), so a greedy scan
    // matches exactly what the backtracking pattern would.
    const std::size_t markerStart = skipWhile(line, 0, isWhiteSpace);
    const std::size_t markerEnd = skipMarker(line, markerStart);
    if (markerEnd == 0) {
        return 0;
    }
    const std::size_t textStart = skipWhile(line, markerEnd, isWhiteSpace);
    return textStart > markerEnd ? textStart : 0;
}

}  // namespace pastiq
