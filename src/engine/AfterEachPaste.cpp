#include "engine/AfterEachPaste.h"

#include "engine/StoredChoice.h"

namespace pastiq {
namespace {

// In the enumeration's order.
constexpr std::array<std::string_view, kAllAfterEachPaste.size()> kStoredValues = {
    "nothing", "tab", "return", "spreadsheetRow"};

}  // namespace

std::string_view storedValue(AfterEachPaste choice) {
    return kStoredValues.at(static_cast<std::size_t>(choice));
}

std::optional<AfterEachPaste> afterEachPasteFromStored(std::string_view stored) {
    return choiceFromStored(kAllAfterEachPaste, stored);
}

AfterPasteKey afterPasteKeyFor(AfterEachPaste choice, std::int64_t rowLength, std::int64_t index) {
    if (choice == AfterEachPaste::nothing) {
        return AfterPasteKey::none;
    }
    if (choice == AfterEachPaste::pressTab) {
        return AfterPasteKey::tab;
    }
    const bool isInsideRow = choice == AfterEachPaste::spreadsheetRow && rowLength > 0 &&
                             index >= 0 && index % rowLength != rowLength - 1;
    return isInsideRow ? AfterPasteKey::tab : AfterPasteKey::returnKey;
}

}  // namespace pastiq
