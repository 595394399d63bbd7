#include "app/control/cli/JsonWriter.h"

#include <array>

#include "model/Utf8CodePoint.h"

namespace pastiq {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

void appendControlEscape(std::string& out, unsigned char byte) {
    switch (byte) {
        case '\b':
            out += "\\b";
            return;
        case '\f':
            out += "\\f";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
    }
    static constexpr std::array<char, 16> kHex{'0', '1', '2', '3', '4', '5', '6', '7',
                                               '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    out += "\\u00";
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 0xF]);
}

// Copies one UTF-8 sequence starting at pos, or U+FFFD for an ill-formed one; returns the
// number of input bytes consumed.
std::size_t appendNonAscii(std::string& out, std::string_view text, std::size_t pos) {
    const Utf8CodePoint point = Utf8CodePoint::decodeAt(text, pos);
    out += point.isValid() ? text.substr(pos, point.length) : kReplacementCharacter;
    return point.length;
}

}  // namespace

void JsonWriter::beginObject() {
    open('{');
}

void JsonWriter::endObject() {
    close('}');
}

void JsonWriter::beginArray() {
    open('[');
}

void JsonWriter::endArray() {
    close(']');
}

void JsonWriter::open(char bracket) {
    beginValue();
    out_.push_back(bracket);
    hasMember_.push_back(false);
}

void JsonWriter::close(char bracket) {
    out_.push_back(bracket);
    hasMember_.pop_back();
}

void JsonWriter::key(std::string_view name) {
    beginValue();
    appendString(name);
    out_.push_back(':');
    afterKey_ = true;
}

void JsonWriter::value(std::string_view text) {
    beginValue();
    appendString(text);
}

void JsonWriter::value(std::int64_t number) {
    beginValue();
    out_ += std::to_string(number);
}

void JsonWriter::boolean(bool flag) {
    beginValue();
    out_ += flag ? "true" : "false";
}

void JsonWriter::null() {
    beginValue();
    out_ += "null";
}

// Writes the comma between members; a value right after its key needs none.
void JsonWriter::beginValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasMember_.empty()) {
        if (hasMember_.back()) {
            out_.push_back(',');
        }
        hasMember_.back() = true;
    }
}

void JsonWriter::appendString(std::string_view text) {
    out_.push_back('"');
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte >= 0x80) {
            pos += appendNonAscii(out_, text, pos);
            continue;
        }
        if (byte < 0x20) {
            appendControlEscape(out_, byte);
        } else if (byte == '"' || byte == '\\') {
            out_.push_back('\\');
            out_.push_back(static_cast<char>(byte));
        } else {
            out_.push_back(static_cast<char>(byte));
        }
        ++pos;
    }
    out_.push_back('"');
}

}  // namespace pastiq
