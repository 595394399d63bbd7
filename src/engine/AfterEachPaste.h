#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pastiq {

// The key Pastiq presses itself once the application has taken a pasted item.
enum class AfterPasteKey : std::uint8_t { none, tab, returnKey };

// What the user chose to follow every paste with.
enum class AfterEachPaste : std::uint8_t { nothing, pressTab, pressReturn, spreadsheetRow };

inline constexpr std::array<AfterEachPaste, 4> kAllAfterEachPaste = {
    AfterEachPaste::nothing, AfterEachPaste::pressTab, AfterEachPaste::pressReturn,
    AfterEachPaste::spreadsheetRow};

[[nodiscard]] std::string_view storedValue(AfterEachPaste choice);
// The case whose stored value equals the text exactly, or nothing.
[[nodiscard]] std::optional<AfterEachPaste> afterEachPasteFromStored(std::string_view stored);

// The key after the item at `index` of the queue. `rowLength` is the number of cells in a row
// when the queue runs through a grid row by row, 0 otherwise (a list, a grid in column order):
// a spreadsheet row then moves on with Tab within a row and Return after its last cell, and
// acts like Return where there is no row.
[[nodiscard]] AfterPasteKey afterPasteKeyFor(AfterEachPaste choice, std::int64_t rowLength,
                                             std::int64_t index);

}  // namespace pastiq
