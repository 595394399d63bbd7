#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pastiq {

// Builds compact JSON text, members in the order written. Strings are escaped (quotes, backslashes,
// control characters) and any byte sequence that is not valid UTF-8 becomes U+FFFD, so the output
// is always valid UTF-8 JSON whatever the input text was.
class JsonWriter {
  public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);
    void value(std::string_view text);
    void value(std::int64_t number);
    // Named apart from value(), which a string literal would otherwise reach as a bool.
    void boolean(bool flag);
    void null();

    [[nodiscard]] const std::string& text() const { return out_; }

  private:
    void open(char bracket);
    void close(char bracket);
    void beginValue();
    void appendString(std::string_view text);

    std::string out_;
    // One entry per open object or array: whether it already has a member.
    std::vector<bool> hasMember_;
    bool afterKey_ = false;
};

}  // namespace pastiq
