#include "engine/AfterEachPaste.h"

namespace pastiq {

std::string_view storedValue(AfterEachPaste choice) {
    switch (choice) {
        case AfterEachPaste::nothing:
            return "nothing";
        case AfterEachPaste::pressTab:
            return "tab";
        case AfterEachPaste::pressReturn:
            return "return";
        case AfterEachPaste::spreadsheetRow:
            return "spreadsheetRow";
    }
    return "nothing";
}

std::optional<AfterEachPaste> afterEachPasteFromStored(std::string_view stored) {
    for (const auto choice : kAllAfterEachPaste) {
        if (storedValue(choice) == stored) {
            return choice;
        }
    }
    return std::nullopt;
}

AfterPasteKey afterPasteKeyFor(AfterEachPaste choice, std::int64_t rowLength, std::int64_t index) {
    switch (choice) {
        case AfterEachPaste::nothing:
            return AfterPasteKey::none;
        case AfterEachPaste::pressTab:
            return AfterPasteKey::tab;
        case AfterEachPaste::pressReturn:
            return AfterPasteKey::returnKey;
        case AfterEachPaste::spreadsheetRow:
            if (rowLength > 0 && index >= 0 && index % rowLength != rowLength - 1) {
                return AfterPasteKey::tab;
            }
            return AfterPasteKey::returnKey;
    }
    return AfterPasteKey::none;
}

}  // namespace pastiq
