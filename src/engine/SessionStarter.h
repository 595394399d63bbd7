#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/ClipboardWriter.h"
#include "engine/SelectionCapture.h"
#include "engine/ports/InputAccess.h"
#include "engine/ports/Log.h"
#include "engine/ports/OnboardingPresenter.h"
#include "model/StepGuard.h"

namespace pastiq {

// The way into a session: whether a start may begin, the clipboard read or the copy of the
// selection a start waits for, and the answer the start gives whoever asked for it. The session
// itself is made from the copy by the controller, which may refuse it too. Main thread only.
// The refusal of a start without input access, listing what is missing and how to fix it.
[[nodiscard]] std::string noInputAccessRefusal(const std::vector<InputAccessFix>& missing);

class SessionStarter {
  public:
    // Why a start started nothing, or nothing when it started a session.
    using Completion = std::function<void(const std::optional<std::string>& refusal)>;
    // Makes the session from the copy a start read; it records a refusal when it starts nothing.
    using StartFromCopy = std::function<void(const ClipboardText& copy)>;

    static constexpr const char* kNoInputAccessRefusal =
        "No input access: Pastiq cannot watch the paste keys (its window says how to allow it)";

    struct Dependencies {
        std::shared_ptr<ClipboardWriter> clipboard;
        std::shared_ptr<SelectionCapture> selectionCapture;
        InputAccess& inputAccess;
        OnboardingPresenter& onboarding;
        Log& log;
    };

    SessionStarter(Dependencies dependencies, StartFromCopy startFromCopy);

    // Reads the clipboard, or a copy of the selection, without blocking, then starts from it.
    // `done`, if given, learns the outcome once the start is over (inside the call when it is
    // refused at once).
    void start(bool captureSelection, Completion done);
    // Clears the last refusal; false (with the refusal set) when no start may begin now.
    bool mayStart();
    // The session was ended while a start was reading: what it reads is no longer wanted.
    void abandon();
    void refuse(std::optional<std::string> refusal) { refusal_ = std::move(refusal); }

    [[nodiscard]] bool isStarting() const { return inProgress_ != nullptr; }
    [[nodiscard]] const std::optional<std::string>& refusal() const { return refusal_; }

  private:
    void finish(std::uint64_t ticket, const ClipboardText& copy, const Completion& done);
    void finishFromSelection(std::uint64_t ticket, const std::optional<ClipboardText>& copy,
                             const Completion& done);

    Dependencies deps_;
    StartFromCopy startFromCopy_;
    std::optional<std::string> refusal_;
    // While a start reads the clipboard: the refusal a further start meets.
    const char* inProgress_ = nullptr;
    // Names the latest start; a start whose ticket is no longer the latest was abandoned.
    std::uint64_t ticket_ = 0;
    StepGuard guard_;
};

}  // namespace pastiq
