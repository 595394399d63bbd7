#include "platform/x11/X11KeyGrab.h"

#include <algorithm>

#include "engine/ports/Log.h"
#include "platform/x11/MainThreadChannel.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XEventLoop.h"
#include "platform/x11/XThreadCall.h"

namespace pastiq::x11 {
namespace {

constexpr std::chrono::milliseconds kGrabBound{1000};

}  // namespace

Modifiers modifiersOfMask(std::uint32_t mask) {
    return Modifiers{(mask & XCB_MOD_MASK_CONTROL) != 0, (mask & XCB_MOD_MASK_SHIFT) != 0,
                     (mask & XCB_MOD_MASK_1) != 0, (mask & XCB_MOD_MASK_4) != 0};
}

X11KeyGrab::X11KeyGrab(const KeyGrabContext& context, JudgedKey& judgedKey)
    : context_(context),
      judgedKey_(judgedKey),
      grabs_(context.connection, /*synchronous=*/true),
      afterKeys_(context.connection, context.loop.timers(), context.layout) {
    afterKeys_.setHandlers({
        [this](AfterPasteKeys::Waiting key) { carryOutInTurn(std::move(key)); },
        // A Ctrl+V Pastiq typed stands for the user's: the application is pinged behind it.
        [this](xcb_timestamp_t keyTime) {
            if (replayObserver_) {
                replayObserver_(keyTime);
            }
        },
        [this](bool busy) {
            if (context_.holdEngineWrites) {
                context_.holdEngineWrites(busy);
            }
        },
        [this] {
            context_.mainThread.post([this] {
                context_.log.info(LogCategory::session,
                                  "After-paste key not sent: the application took no text in time");
            });
        },
    });
}

X11KeyGrab::~X11KeyGrab() = default;

bool X11KeyGrab::install(Handlers handlers) {
    remove();
    handlers_ = std::make_shared<Handlers>(std::move(handlers));
    if (enableGrabs()) {
        return true;
    }
    handlers_.reset();
    return false;
}

void X11KeyGrab::remove() {
    handlers_.reset();
    // Waits so that a key pressed after remove() returns is certainly not grabbed any more.
    runOnXThread(context_.loop, kGrabBound, [this] { releaseShortcuts(); });
}

void X11KeyGrab::enable() {
    if (handlers_) {
        enableGrabs();
    }
}

bool X11KeyGrab::enableGrabs() {
    const auto grabbed =
        callOnXThread<bool>(context_.loop, kGrabBound, [this, gate = handlers_->gate] {
            gate_ = gate;
            return grabShortcuts();
        });
    if (grabbed.value_or(false)) {
        return true;
    }
    // A grab that succeeds after the wait gave up must not stay behind.
    context_.loop.post([this] { releaseShortcuts(); });
    return false;
}

void X11KeyGrab::judge(const PendingKey& key, const KeyEvent& event) {
    // A key passed on unjudged reached the application unchanged; acting on it now would move
    // the queue on for a paste that never used the item.
    auto waiting = KeyTurn::waiting;
    if (!key.turn->compare_exchange_strong(waiting, KeyTurn::judging)) {
        return;
    }
    KeyVerdict verdict = KeyVerdict::passOn;
    // A copy keeps the handlers alive even if onKeyDown removes the grab.
    if (const auto handlers = handlers_; handlers && handlers->onKeyDown) {
        judgedKey_.press = JudgedKey::Press{key.time, key.arrived};
        judgedKey_.wroteClipboard = false;
        verdict = handlers->onKeyDown(event);
        judgedKey_.press.reset();
    }
    auto apply = [this, id = key.id, verdict] { applyVerdict(id, verdict); };
    if (judgedKey_.wroteClipboard) {
        context_.afterClipboardWrites(std::move(apply));
    } else {
        context_.loop.post(std::move(apply));
    }
}

void X11KeyGrab::handleKeyPress(const xcb_input_key_press_event_t& event) {
    context_.connection.noteServerTime(event.time);
    const auto& layout = context_.layout;
    if (!grabs_.isActive() || !layout) {
        // A press from a grab released a moment ago: the keyboard must not stay frozen.
        allowEvent(event.deviceid, event.time, KeyVerdict::passOn);
        return;
    }
    const std::uint64_t id = nextId_++;
    const auto timer = context_.loop.timers().schedule(kVerdictBound, [this, id] { timeOut(id); });
    pending_.push_back(PendingKey{id, event.deviceid, event.time, TimerQueue::Clock::now(), timer,
                                  std::make_shared<std::atomic<KeyTurn>>(KeyTurn::waiting),
                                  nullptr});
    const KeyEvent keyEvent{layout->positionOf(static_cast<xcb_keycode_t>(event.detail)),
                            modifiersOfMask(event.mods.effective),
                            (event.flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT) != 0};
    if (gate_) {
        if (auto decided = gate_->decide(keyEvent)) {
            carryOut(pending_.back(), std::move(*decided), event.full_sequence);
            return;
        }
        gate_->keyHandedToMainThread();
        pending_.back().gate = gate_;
    }
    context_.mainThread.post([this, key = pending_.back(), keyEvent] { judge(key, keyEvent); });
}

// The gate decided the key: its item goes on the clipboard, and the key gets its verdict once
// the server has the write, without waiting for the main thread, which hears of it after (in
// order with every key it judges).
void X11KeyGrab::carryOut(PendingKey& key, GateKey decided, std::uint32_t pressSequence) {
    key.turn->store(KeyTurn::judging);
    const std::uint64_t id = key.id;
    if (decided.kind != GateKeyKind::other && afterKeys_.takesOver(pressSequence)) {
        waitForTurn(key, std::move(decided));
        return;
    }
    if (!decided.item) {
        decided.changeCount = context_.clipboardChangeCount();
        applyVerdict(id, decided.verdict);
    } else if (decided.verdict == KeyVerdict::consume) {
        // No application pastes for a consumed key, so its write waits for no earlier paste to
        // be fetched, and the key need not wait for the write.
        decided.changeCount = context_.writeForKey(decided.item->text, std::nullopt);
        applyVerdict(id, decided.verdict);
    } else {
        decided.changeCount =
            context_.writeForKey(decided.item->text, JudgedKey::Press{key.time, key.arrived});
        context_.afterClipboardWrites(
            [this, id, verdict = decided.verdict] { applyVerdict(id, verdict); });
        afterKeys_.pasteReplayed(key.time, decided.afterKey);
    }
    if (decided.kind != GateKeyKind::other) {
        report(std::move(decided));
    }
}

// The main thread hears of the gate's keys in the order they took effect.
void X11KeyGrab::report(GateKey decided) {
    context_.mainThread.post([this, decided = std::move(decided)] {
        if (const auto handlers = handlers_; handlers && handlers->onGateKey) {
            handlers->onGateKey(decided);
        }
    });
}

// An earlier paste still owes the application its key, and the grab of this key would hold that
// key back: the key gets its verdict now (a Ctrl+V is consumed, Pastiq types it later) and takes
// effect in its turn. A copy key's check starts from the clipboard as it is now.
void X11KeyGrab::waitForTurn(const PendingKey& key, GateKey decided) {
    const std::uint64_t id = key.id;
    const KeyVerdict verdict =
        decided.kind == GateKeyKind::paste ? KeyVerdict::consume : decided.verdict;
    if (decided.kind == GateKeyKind::copy) {
        decided.changeCount = context_.clipboardChangeCount();
    }
    afterKeys_.wait({std::move(decided), JudgedKey::Press{key.time, key.arrived}});
    applyVerdict(id, verdict);
}

void X11KeyGrab::carryOutInTurn(AfterPasteKeys::Waiting key) {
    GateKey& decided = key.decided;
    const bool pastes = decided.kind == GateKeyKind::paste;
    if (decided.item) {
        decided.changeCount = context_.writeForKey(
            decided.item->text, pastes ? std::optional(key.press) : std::nullopt);
    } else if (pastes) {
        decided.changeCount = context_.clipboardChangeCount();
    }
    if (pastes) {
        context_.afterClipboardWrites(
            [this, time = key.press.time] { afterKeys_.writeLanded(time); });
    }
    report(std::move(decided));
}

void X11KeyGrab::applyVerdict(std::uint64_t id, KeyVerdict verdict) {
    const auto pending = std::find_if(pending_.begin(), pending_.end(),
                                      [id](const PendingKey& key) { return key.id == id; });
    // A verdict after the bound comes too late: the key was passed on already.
    if (pending != pending_.end()) {
        context_.loop.timers().cancel(pending->timer);
        finish(pending, verdict);
    }
}

void X11KeyGrab::timeOut(std::uint64_t id) {
    const auto pending = std::find_if(pending_.begin(), pending_.end(),
                                      [id](const PendingKey& key) { return key.id == id; });
    if (pending == pending_.end()) {
        return;
    }
    passOnUnjudged(pending);
    context_.mainThread.post([this] {
        context_.log.error(LogCategory::session, "Key verdict timed out — key passed on");
    });
}

void X11KeyGrab::passOnUnjudged(std::vector<PendingKey>::iterator pending) {
    // Should the main thread be inside the handler right now, the key still goes: the keyboard
    // bound comes first, and that verdict arrives too late to matter.
    auto waiting = KeyTurn::waiting;
    if (pending->turn->compare_exchange_strong(waiting, KeyTurn::expired) && pending->gate) {
        pending->gate->keyPassedOnUnjudged();
    }
    finish(pending, KeyVerdict::passOn);
}

void X11KeyGrab::finish(std::vector<PendingKey>::iterator pending, KeyVerdict verdict) {
    allowEvent(pending->device, pending->time, verdict);
    xcb_flush(context_.connection.get());
    if (observer_) {
        observer_(TimerQueue::Clock::now() - pending->arrived);
    }
    if (verdict == KeyVerdict::passOn && replayObserver_) {
        replayObserver_(pending->time);
    }
    pending_.erase(pending);
}

void X11KeyGrab::allowEvent(xcb_input_device_id_t device, xcb_timestamp_t time,
                            KeyVerdict verdict) {
    xcb_connection_t* c = context_.connection.get();
    if (verdict == KeyVerdict::passOn) {
        xcb_input_xi_allow_events(c, time, device, XCB_INPUT_EVENT_MODE_REPLAY_DEVICE, 0,
                                  context_.connection.root());
        return;
    }
    // The consumed press would otherwise keep the keyboard grabbed until its release, and keys
    // typed meanwhile would be lost; only the consumed key's own release reaches the window.
    // The grab ends before the keyboard thaws: keys that queued behind the frozen press (a key
    // Pastiq typed among them) then go to the focused window, not to Pastiq. Ending the grab
    // thaws the keyboard; the thaw after it only counts should the grab outlive the request.
    xcb_input_xi_ungrab_device(c, time, device);
    xcb_input_xi_allow_events(c, time, device, XCB_INPUT_EVENT_MODE_ASYNC_DEVICE, 0,
                              context_.connection.root());
}

bool X11KeyGrab::grabShortcuts() {
    const auto& layout = context_.layout;
    if (!layout) {
        grabs_.release();
        return false;
    }
    const auto& keys = layout->keys;
    constexpr std::uint16_t kCtrl = XCB_MOD_MASK_CONTROL;
    return grabs_.grab(
        {{keys.v, kCtrl}, {keys.c, kCtrl}, {keys.leftBracket, kCtrl}, {keys.rightBracket, kCtrl}},
        layout->lockCombinations);
}

void X11KeyGrab::releaseShortcuts() {
    grabs_.release();
    gate_.reset();
    afterKeys_.stop(/*drain=*/true);
    // Keys still frozen by the released grabs are passed on.
    while (!pending_.empty()) {
        context_.loop.timers().cancel(pending_.back().timer);
        passOnUnjudged(std::prev(pending_.end()));
    }
}

void X11KeyGrab::renewGrabs() {
    if (!grabs_.isActive() || grabShortcuts()) {
        return;
    }
    context_.mainThread.post([this] {
        context_.log.error(LogCategory::session, "Key grabs lost after a keyboard change");
        if (const auto handlers = handlers_; handlers && handlers->onDisabled) {
            handlers->onDisabled();
        }
    });
}

void X11KeyGrab::shutdown() {
    releaseShortcuts();
    afterKeys_.stop(/*drain=*/false);
}

}  // namespace pastiq::x11
