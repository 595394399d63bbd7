#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pastiq::bench {

// Deterministic texts shaped like real copies, so runs compare like with like.
class BenchCorpus {
  public:
    // A list of lineCount lines (about 30 bytes each): numbered, bulleted and plain lines.
    static std::string list(std::size_t lineCount);
    // A tab-separated block of rows × cols short spreadsheet cells.
    static std::string grid(std::size_t rows, std::size_t cols);
    // The reference work: the text split at line feeds into strings, found with memchr.
    static std::vector<std::string> splitLines(std::string_view text);
};

}  // namespace pastiq::bench
