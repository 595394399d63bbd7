#include "app/control/QueueTextInput.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>

#include "model/QueueLimits.h"

namespace pastiq {

namespace {

constexpr std::size_t kLimit = QueueLimits::maxTextBytes;

// One byte past the limit is enough to know a text is too large.
ClipboardText readUpToLimit(std::istream& in) {
    std::string text;
    std::array<char, std::size_t{64} * 1024> chunk{};
    while (text.size() <= kLimit) {
        const std::size_t wanted = std::min(chunk.size(), kLimit + 1 - text.size());
        in.read(chunk.data(), static_cast<std::streamsize>(wanted));
        if (in.gcount() <= 0) {
            break;
        }
        text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (text.size() > kLimit) {
        return ClipboardText::tooLargeOf(text.size());
    }
    return ClipboardText::withText(std::move(text));
}

// A regular file tells its size before it is read.
std::uint64_t knownSize(const std::string& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return 0;
    }
    const auto size = std::filesystem::file_size(file, error);
    return error ? 0 : size;
}

}  // namespace

std::optional<ClipboardText> readTextToQueue(const std::string& file, std::istream& standardInput,
                                             std::ostream& err) {
    if (file == "-") {
        ClipboardText copy = readUpToLimit(standardInput);
        if (standardInput.bad()) {
            err << "pastiq: cannot read standard input\n";
            return std::nullopt;
        }
        return copy;
    }
    if (const std::uint64_t size = knownSize(file); size > kLimit) {
        return ClipboardText::tooLargeOf(size);
    }
    errno = 0;
    std::ifstream stream(file, std::ios::binary);
    std::optional<ClipboardText> copy;
    if (stream) {
        copy = readUpToLimit(stream);
    }
    if (!copy || stream.bad()) {
        const int error = errno;
        err << "pastiq: cannot read " << file << ": "
            << (error != 0 ? std::strerror(error) : "read error") << "\n";
        return std::nullopt;
    }
    return copy;
}

}  // namespace pastiq
