#include "engine/SessionStarter.h"

#include <utility>

namespace pastiq {

namespace {

constexpr const char* kStartingFromSelectionRefusal =
    "A session is already starting from the selection";
constexpr const char* kStartingFromClipboardRefusal =
    "A session is already starting from the clipboard";
constexpr const char* kStartAbandonedRefusal = "The session was ended before the start was over";

}  // namespace

// A command-line start has no window to read: the missing pieces and their commands come with
// the refusal.
std::string noInputAccessRefusal(const std::vector<InputAccessFix>& missing) {
    std::string refusal = SessionStarter::kNoInputAccessRefusal;
    for (const InputAccessFix& fix : missing) {
        refusal += "\n  " + fix.problem;
        if (!fix.command.empty()) {
            refusal += "\n    " + fix.command;
        }
    }
    return refusal;
}

SessionStarter::SessionStarter(Dependencies dependencies, StartFromCopy startFromCopy)
    : deps_(std::move(dependencies)), startFromCopy_(std::move(startFromCopy)) {}

bool SessionStarter::mayStart() {
    refusal_.reset();
    if (!deps_.inputAccess.hasInputAccess()) {
        refusal_ = noInputAccessRefusal(deps_.inputAccess.missingPieces());
        deps_.onboarding.show();
        return false;
    }
    if (inProgress_ != nullptr) {
        refusal_ = inProgress_;
        return false;
    }
    return true;
}

void SessionStarter::start(bool captureSelection, Completion done) {
    if (!mayStart()) {
        if (done) {
            done(refusal_);
        }
        return;
    }
    inProgress_ = captureSelection ? kStartingFromSelectionRefusal : kStartingFromClipboardRefusal;
    const std::uint64_t ticket = ++ticket_;
    if (!captureSelection) {
        deps_.clipboard->read(
            guard_.bind([this, ticket, done = std::move(done)](const ClipboardText& copy) {
                finish(ticket, copy, done);
            }));
        return;
    }
    deps_.selectionCapture->capture(guard_.bind(
        [this, ticket, done = std::move(done)](const std::optional<ClipboardText>& copy) {
            finishFromSelection(ticket, copy, done);
        }));
}

// The copy as the capture's clipboard check read it: the text checked is the text queued.
void SessionStarter::finishFromSelection(std::uint64_t ticket,
                                         const std::optional<ClipboardText>& copy,
                                         const Completion& done) {
    deps_.log.info(LogCategory::session,
                   std::string("Hotkey start — copied a fresh selection: ") + (copy ? "1" : "0"));
    finish(ticket, copy.value_or(ClipboardText{}), done);
}

void SessionStarter::finish(std::uint64_t ticket, const ClipboardText& copy,
                            const Completion& done) {
    if (ticket != ticket_) {
        if (done) {
            done(kStartAbandonedRefusal);
        }
        return;
    }
    inProgress_ = nullptr;
    startFromCopy_(copy);
    if (done) {
        done(refusal_);
    }
}

void SessionStarter::abandon() {
    if (inProgress_ != nullptr) {
        inProgress_ = nullptr;
        ++ticket_;
        deps_.log.info(LogCategory::session, "Start abandoned: the session was ended");
    }
}

}  // namespace pastiq
