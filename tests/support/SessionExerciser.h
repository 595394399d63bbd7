#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/PasteSession.h"
#include "support/SessionEventRecorder.h"

namespace pastiq {

// Drives a paste session with operations picked by a chooser (a seeded generator in unit
// tests, the fuzzer's input in the fuzz target) and checks after each one that the session's
// invariants hold, that every store was announced before and after, and that
// nextItemChangedByUser fired exactly when the operation changed what the next paste writes.
class SessionExerciser {
  public:
    // Returns a value in [0, upperBound].
    using Chooser = std::function<std::uint64_t(std::uint64_t upperBound)>;

    SessionExerciser(PasteSession& session, Chooser choose);

    // Applies one operation; the first broken rule, or nothing.
    std::optional<std::string> step();
    [[nodiscard]] const std::string& lastOperation() const { return lastOperation_; }

    // A small tab- or line-separated text, sometimes ragged, with markers and odd spaces.
    static std::string randomClipboardText(const Chooser& choose);

  private:
    struct Outcome {
        std::string name;
        std::optional<bool> expectsSignal;  // nothing when the operation may or may not fire
    };

    Outcome applyOperation();
    Outcome applyItemOperation(std::uint64_t which);
    [[nodiscard]] Uuid pickId();
    [[nodiscard]] std::optional<Uuid> currentId() const;

    PasteSession& session_;
    Chooser choose_;
    SessionEventRecorder recorder_;
    std::string lastOperation_;
};

}  // namespace pastiq
