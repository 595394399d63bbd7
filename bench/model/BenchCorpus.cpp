#include "BenchCorpus.h"

#include <array>
#include <cstring>
#include <random>

namespace pastiq::bench {

namespace {

constexpr std::array<std::string_view, 8> kWords{"invoice", "Müller",   "order",   "shipped",
                                                 "42.50 €", "customer", "pending", "Zürich"};
constexpr std::array<std::string_view, 6> kMarkers{"- ", "* ", "\xE2\x80\xA2 ", "", "  ", ""};

std::string_view pickWord(std::mt19937& generator) {
    return kWords[generator() % kWords.size()];
}

}  // namespace

std::string BenchCorpus::list(std::size_t lineCount) {
    std::mt19937 generator(20240601);
    std::string text;
    text.reserve(lineCount * 32);
    for (std::size_t line = 0; line < lineCount; ++line) {
        if (line % 4 == 1) {
            text += std::to_string(line % 1000) + ". ";
        } else {
            text += kMarkers[generator() % kMarkers.size()];
        }
        text += pickWord(generator);
        text += ' ';
        text += std::to_string(line);
        text += ' ';
        text += pickWord(generator);
        text += ' ';
        text += pickWord(generator);
        text += '\n';
    }
    return text;
}

std::string BenchCorpus::grid(std::size_t rows, std::size_t cols) {
    std::mt19937 generator(20240602);
    std::string text;
    text.reserve(rows * cols * 9);
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t col = 0; col < cols; ++col) {
            if (col > 0) {
                text += '\t';
            }
            if (col % 3 == 0) {
                text += pickWord(generator);
            } else {
                text += std::to_string(generator() % 100000);
            }
        }
        text += '\n';
    }
    return text;
}

std::vector<std::string> BenchCorpus::splitLines(std::string_view text) {
    std::vector<std::string> lines;
    const char* pos = text.data();
    const char* const end = text.data() + text.size();
    while (pos < end) {
        const auto* lineFeed =
            static_cast<const char*>(std::memchr(pos, '\n', static_cast<std::size_t>(end - pos)));
        const char* lineEnd = lineFeed != nullptr ? lineFeed : end;
        lines.emplace_back(pos, lineEnd);
        pos = lineEnd + 1;
    }
    return lines;
}

}  // namespace pastiq::bench
