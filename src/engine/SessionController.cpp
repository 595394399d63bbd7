#include "engine/SessionController.h"

#include <utility>

#include "engine/ClipboardWatcher.h"
#include "engine/ClipboardWriter.h"
#include "engine/CopySize.h"
#include "engine/ModifierReleaseWaiter.h"
#include "engine/SelectionCapture.h"
#include "model/ClipboardParser.h"

namespace pastiq {

namespace {

ParsedClipboard parseOrEmpty(std::string_view text) {
    return ClipboardParser::parse(text).value_or(ParsedClipboard::empty());
}

}  // namespace

SessionController::SessionController(const EnginePorts& ports, Settings& settings)
    : ports_(ports),
      settings_(settings),
      keyGrab_(std::make_unique<SessionKeyGrab>(ports.keyGrab, ports.scheduler)),
      clipboard_(std::make_shared<ClipboardWriter>(ports.clipboard)),
      clipboardWatcher_(std::make_shared<ClipboardWatcher>(clipboard_, ports.scheduler)),
      starter_(
          SessionStarter::Dependencies{
              clipboard_,
              std::make_shared<SelectionCapture>(SelectionCapture::Dependencies{
                  clipboard_, clipboardWatcher_,
                  std::make_shared<ModifierReleaseWaiter>(ports.modifiers, ports.scheduler),
                  ports.eventPoster, ports.selection, ports.log}),
              ports.inputAccess, ports.onboarding, ports.log},
          [this](const ClipboardText& copy) { startFromCopy(copy); }),
      finisher_(
          *clipboard_, ports.scheduler, ports.log,
          [this](const std::shared_ptr<PasteSession>& session) { return isCurrent(session); }),
      gatePublisher_(ports.scheduler) {
    wireCallbacks();
}

// The application ends the session at termination; a destroyed controller leaves the
// clipboard alone. Its key grab removes itself, and pending steps find the controller gone.
SessionController::~SessionController() {
    guard_.cancel();
    ports_.overlay.setOnClose(nullptr);
}

void SessionController::wireCallbacks() {
    // Guarded: the callbacks live in the key grab, the overlay and the main queue, which may call
    // them after the controller is gone.
    auto call = [this](void (SessionController::*operation)()) {
        return guard_.bind([this, operation] { (this->*operation)(); });
    };
    ports_.overlay.setOnClose(guard_.bind([this] { endSession(true); }));
    keyGrab_->onPasteKey = call(&SessionController::pasteNext);
    keyGrab_->onCopyKey = call(&SessionController::copyDuringSession);
    keyGrab_->onStepBackward = call(&SessionController::stepBackward);
    keyGrab_->onStepForward = call(&SessionController::stepForward);
    keyGrab_->onGateKey = guard_.bind([this](const GateKey& key) { reconcileGateKey(key); });
    keyGrab_->onKeyDone = guard_.bind([this] { gatePublisher_.publishSoon(); });
}

void SessionController::startSession(bool captureSelection, StartCompletion done) {
    starter_.start(captureSelection, std::move(done));
}

void SessionController::startSessionWithText(std::string text) {
    if (starter_.mayStart()) {
        startFromCopy(ClipboardText::withText(std::move(text)));
    }
}

void SessionController::startFromCopy(const ClipboardText& copy) {
    starter_.refuse(refusalOfTooLarge(copy));
    if (!starter_.refusal()) {
        startFromText(copy.textOrEmpty());
    }
}

std::optional<std::string> SessionController::refusalOfTooLarge(const ClipboardText& copy) {
    const auto reason = whyTooLargeToQueue(copy);
    if (!reason) {
        return std::nullopt;
    }
    std::string refusal = std::string(kCopyTooLargeMessage) + ": " + *reason;
    ports_.log.error(LogCategory::session, refusal);
    showStatus(kCopyTooLargeMessage);
    return refusal;
}

void SessionController::startFromText(std::string_view text) {
    starter_.abandon();
    setSession(std::make_shared<PasteSession>(parseOrEmpty(text)));
    if (keyGrab_->install()) {
        activateSession(session_);
    } else {
        failStart();
    }
}

void SessionController::activateSession(const std::shared_ptr<PasteSession>& session) {
    clipboard_->writeCurrentItem(*session);
    const std::weak_ptr<PasteSession> weakSession = session;
    nextItemSubscription_ =
        session->nextItemChangedByUser().subscribe(guard_.bind([this, weakSession] {
            if (auto changed = weakSession.lock()) {
                writeItemChangedByUser(*changed);
            }
        }));
    gatePublisher_.follow(
        session, keyGrab_->gate(),
        {[this] { return keyGrab_->gateKeysReported(); }, [this] { return keyGrab_->keysJudged(); },
         [this] { return settings_.listFinishBehavior(); },
         [this] { return settings_.afterEachPaste(); }});
    clearStatus();
    ports_.log.info(LogCategory::session,
                    "Session started with " + std::to_string(session->items().size()) + " items");
    ports_.overlay.showAfterEachPaste(settings_.afterEachPaste());
    ports_.overlay.show(session);
}

void SessionController::failStart() {
    setSession(nullptr);
    // A session that was running before this start lost its key grab when the install removed it;
    // its overlay and subscription must not live on without it.
    stopFollowingSession();
    starter_.refuse(noInputAccessRefusal(ports_.inputAccess.missingPieces()));
    ports_.log.error(LogCategory::session, "Key grab failed — input access unavailable");
    showStatus("Paste monitor blocked");
    ports_.onboarding.show();
}

void SessionController::endSession(bool clearClipboard) {
    const bool hadSession = session_ != nullptr;
    starter_.abandon();
    keyGrab_->remove();
    stopFollowingSession();
    setSession(nullptr);
    // Only Pastiq's own item is taken away; something the user copied since (an image, text
    // that made no list) or had before an empty session stays theirs.
    if (clearClipboard && hadSession) {
        clipboard_->clearIfOwnContent([&log = ports_.log] {
            log.info(LogCategory::session, "Session ended, clipboard cleared");
        });
    }
}

void SessionController::settingsChanged() {
    ports_.overlay.showAfterEachPaste(settings_.afterEachPaste());
    gatePublisher_.publishSoon();
}

void SessionController::stopFollowingSession() {
    nextItemSubscription_.cancel();
    gatePublisher_.follow(nullptr, nullptr, {});
    ports_.overlay.close();
}

void SessionController::pasteNext() {
    if (!session_ || session_->isFinished()) {
        return;
    }
    clipboard_->writeCurrentItem(*session_);
    // A copy keeps the session alive through the finish even if an observer replaces it.
    moveOnAfterPaste(std::shared_ptr(session_));
}

void SessionController::moveOnAfterPaste(const std::shared_ptr<PasteSession>& session) {
    const bool wasOnLastItem = session->isOnLastItem();
    session->advance();
    if (wasOnLastItem) {
        finisher_.finish(session, settings_.listFinishBehavior());
    }
}

void SessionController::reconcileGateKey(const GateKey& key) {
    switch (key.kind) {
        case GateKeyKind::paste:
            takeGatePaste(key);
            break;
        case GateKeyKind::stepBackward:
        case GateKeyKind::stepForward:
            takeGateStep(key);
            break;
        case GateKeyKind::copy:
            copyDuringSessionSince(key.changeCount);
            break;
        case GateKeyKind::other:
            break;
    }
    // Acknowledges the key to the gate, also when the queue changed under it meanwhile.
    gatePublisher_.publishSoon();
}

void SessionController::takeGatePaste(const GateKey& key) {
    const auto session = session_;
    const QueueItem* current = session ? session->currentItem() : nullptr;
    if (!key.item || current == nullptr || session->isFinished() || current->id() != key.item->id) {
        return;
    }
    clipboard_->noteOwnWrite(*key.item->text, key.changeCount);
    moveOnAfterPaste(session);
}

// The step is taken from the queue as it is now. When it lands on the item the key thread put on
// the clipboard, that write stands; otherwise the queue changed meanwhile and its own next item
// is written.
void SessionController::takeGateStep(const GateKey& key) {
    gateStepWrite_ = key.item ? std::optional(key) : std::nullopt;
    if (key.kind == GateKeyKind::stepForward) {
        stepForward();
    } else {
        stepBackward();
    }
    gateStepWrite_.reset();
}

void SessionController::stepBackward() {
    if (session_) {
        session_->jump(session_->cursorIndex() - 1);
    }
}

void SessionController::stepForward() {
    if (session_) {
        session_->jump(session_->cursorIndex() + 1);
    }
}

void SessionController::writeItemChangedByUser(const PasteSession& session) {
    const QueueItem* current = session.currentItem();
    if (gateStepWrite_ && current != nullptr && current->id() == gateStepWrite_->item->id) {
        clipboard_->noteOwnWrite(*gateStepWrite_->item->text, gateStepWrite_->changeCount);
        return;
    }
    if (current == nullptr) {
        // The user deleted the last remaining item: the clipboard still holds Pastiq's copy of
        // an item that is gone, and a paste must not bring it back.
        clipboard_->clearIfOwnContent();
        return;
    }
    clipboard_->writeCurrentItem(session);
}

void SessionController::copyDuringSession() {
    copyDuringSessionSince(clipboard_->changeCount());
}

void SessionController::copyDuringSessionSince(std::int64_t changeCount) {
    if (!session_ || ports_.focus.isOwnApplicationActive()) {
        return;
    }
    const std::weak_ptr<PasteSession> weakSession = session_;
    clipboardWatcher_->waitForCopy(
        changeCount, guard_.bind([this, weakSession](const std::optional<ClipboardText>& copy) {
            reloadFromCopy(copy, weakSession);
        }));
}

// The copy's text as the watcher read it: the text checked is the text parsed.
void SessionController::reloadFromCopy(const std::optional<ClipboardText>& copy,
                                       const std::weak_ptr<PasteSession>& weakSession) {
    const auto session = weakSession.lock();
    if (!copy || !session || !isCurrent(session) || refusalOfTooLarge(*copy)) {
        return;
    }
    auto parsed = ClipboardParser::parse(copy->textOrEmpty());
    if (!parsed || parsed->items.empty()) {
        return;
    }
    const auto count = parsed->items.size();
    session->load(std::move(*parsed));
    ports_.log.info(LogCategory::session,
                    "Queue reloaded from copy with " + std::to_string(count) + " items");
}

void SessionController::showStatus(const std::string& message) {
    setStatusMessage(message);
    ports_.alertSound.beep();
    statusMessageReset_ = StepGuard{};
    ports_.scheduler.runAfter(kStatusMessageDuration, statusMessageReset_,
                              [this] { setStatusMessage(std::nullopt); });
}

void SessionController::clearStatus() {
    statusMessageReset_.cancel();
    setStatusMessage(std::nullopt);
}

void SessionController::setSession(std::shared_ptr<PasteSession> session) {
    session_ = std::move(session);
    sessionChanged_.emit();
}

void SessionController::setStatusMessage(std::optional<std::string> message) {
    statusMessage_ = std::move(message);
    ports_.overlay.showNotice(statusMessage_);
    statusMessageChanged_.emit();
}

bool SessionController::isCurrent(const std::shared_ptr<PasteSession>& session) const {
    return session_ == session;
}

}  // namespace pastiq
