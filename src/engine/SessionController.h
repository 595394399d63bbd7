#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/GateStatePublisher.h"
#include "engine/ListFinishBehavior.h"
#include "engine/ListFinisher.h"
#include "engine/SessionKeyGrab.h"
#include "engine/SessionStarter.h"
#include "engine/Settings.h"
#include "engine/ports/EnginePorts.h"
#include "model/PasteSession.h"
#include "model/Signal.h"
#include "model/StepGuard.h"

namespace pastiq {

class ClipboardWatcher;

// Owns the running paste session: starts it from copied text (or from a copy of the selection),
// feeds one item per Ctrl+V to the clipboard, steps with Ctrl+[ and Ctrl+], applies the finish
// behaviour, reloads the queue on Ctrl+C and ends the session. Main thread only. Steps still
// pending when the controller goes away do nothing, and every step that belongs to a session
// holds it weakly.
class SessionController {
  public:
    SessionController(const EnginePorts& ports, Settings& settings);
    // Shared: the tray, its fallback button and the status feed hold it too.
    static std::shared_ptr<SessionController> create(const EnginePorts& ports, Settings& settings) {
        return std::make_shared<SessionController>(ports, settings);
    }
    ~SessionController();
    SessionController(const SessionController&) = delete;
    SessionController& operator=(const SessionController&) = delete;

    using StartCompletion = SessionStarter::Completion;

    // Starts from the clipboard, or from a copy of the selection (see SessionStarter::start).
    // Ending the session meanwhile abandons the start.
    void startSession(bool captureSelection, StartCompletion done = {});
    // As a start from the clipboard, from this text: the same input access check, limits and
    // refusals; a running session is replaced.
    void startSessionWithText(std::string text);
    void startFromText(std::string_view text);
    void endSession(bool clearClipboard);
    // A setting the key thread applies changed: the next key must see it.
    void settingsChanged();
    void pasteNext();
    void stepBackward();
    void stepForward();
    void copyDuringSession();

    [[nodiscard]] const std::shared_ptr<PasteSession>& session() const { return session_; }
    [[nodiscard]] const std::optional<std::string>& statusMessage() const { return statusMessage_; }
    [[nodiscard]] bool isStarting() const { return starter_.isStarting(); }
    // Why the latest start started nothing ("Copy too large to queue: ...", no input access);
    // nothing when it started a session.
    [[nodiscard]] const std::optional<std::string>& startRefusal() const {
        return starter_.refusal();
    }

    // Emitted after the session or the status message was stored.
    Signal<>& sessionChanged() { return sessionChanged_; }
    Signal<>& statusMessageChanged() { return statusMessageChanged_; }

  private:
    static constexpr Delay kStatusMessageDuration{3000};

    void wireCallbacks();
    // A copy too large to queue starts nothing: a running session goes on untouched.
    void startFromCopy(const ClipboardText& copy);
    // A key the key gate decided and the platform carried out: a paste's item is on the clipboard
    // already, and the queue moves on as pasteNext would if that item is still the next one; a
    // step is taken from the queue as it is now; a copy key checks for a copy made after it.
    void reconcileGateKey(const GateKey& key);
    // As copyDuringSession, for a copy that changes the clipboard from this change count on.
    void copyDuringSessionSince(std::int64_t changeCount);
    void activateSession(const std::shared_ptr<PasteSession>& session);
    void failStart();
    // Nothing follows the session any more: not its item changes, the gate, nor the overlay.
    void stopFollowingSession();
    // Moves past the item just pasted; past the last one, the finish behaviour applies.
    void moveOnAfterPaste(const std::shared_ptr<PasteSession>& session);
    void takeGatePaste(const GateKey& key);
    void takeGateStep(const GateKey& key);
    void writeItemChangedByUser(const PasteSession& session);
    void reloadFromCopy(const std::optional<ClipboardText>& copy,
                        const std::weak_ptr<PasteSession>& weakSession);
    // Why the copy is too large to queue, said in the journal and the status message; nothing
    // when it may be queued.
    std::optional<std::string> refusalOfTooLarge(const ClipboardText& copy);
    void showStatus(const std::string& message);
    void clearStatus();
    void setSession(std::shared_ptr<PasteSession> session);
    void setStatusMessage(std::optional<std::string> message);
    [[nodiscard]] bool isCurrent(const std::shared_ptr<PasteSession>& session) const;

    EnginePorts ports_;
    Settings& settings_;
    std::unique_ptr<SessionKeyGrab> keyGrab_;
    std::shared_ptr<PasteSession> session_;
    std::optional<std::string> statusMessage_;
    // The owner of the one pending status reset.
    StepGuard statusMessageReset_;
    Subscription nextItemSubscription_;
    // While a step the key gate took is taken in: its write, which a landing on the same item
    // keeps.
    std::optional<GateKey> gateStepWrite_;

    std::shared_ptr<ClipboardWriter> clipboard_;
    std::shared_ptr<ClipboardWatcher> clipboardWatcher_;
    SessionStarter starter_;
    ListFinisher finisher_;
    GateStatePublisher gatePublisher_;

    Signal<> sessionChanged_;
    Signal<> statusMessageChanged_;
    // Last, so that callbacks are cut off before any other member goes.
    StepGuard guard_;
};

}  // namespace pastiq
