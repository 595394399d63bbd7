#include "model/SourceKind.h"

namespace pastiq {

std::string SourceKind::label() const {
    if (!isGrid_) {
        return "List";
    }
    // U+00D7 MULTIPLICATION SIGN, no spaces around it.
    return std::to_string(rows_) + "\xC3\x97" + std::to_string(cols_) + " grid";
}

}  // namespace pastiq
