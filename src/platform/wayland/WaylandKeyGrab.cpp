#include "platform/wayland/WaylandKeyGrab.h"

#include <linux/input-event-codes.h>

#include "engine/ports/Log.h"
#include "platform/wayland/JudgedKeyWrites.h"
#include "platform/wayland/KeyClipboard.h"
#include "platform/wayland/KeyboardHub.h"

namespace pastiq::wayland {
namespace {

// install() waits a little longer than the hub's own bound, so the hub's answer decides.
constexpr std::chrono::milliseconds kAnswerMargin{200};

}  // namespace

WaylandKeyGrab::WaylandKeyGrab(Context context)
    : context_(std::move(context)),
      keyThread_(context_.loop.poster()),
      pacing_(context_.loop, context_.clipboard.fetchBound()),
      verdictBound_(context_.clipboard.fetchBound() + kVerdictTime) {}

WaylandKeyGrab::~WaylandKeyGrab() {
    mainGuard_.cancel();
}

bool WaylandKeyGrab::install(Handlers handlers) {
    remove();
    handlers_ = std::make_shared<Handlers>(std::move(handlers));
    if (grab()) {
        return true;
    }
    handlers_.reset();
    return false;
}

void WaylandKeyGrab::remove() {
    handlers_.reset();
    // Waits so that a key pressed after remove() returns is certainly not grabbed any more.
    (void)callOnKeyLoop<bool>(context_.loop, kGrabBound, [this] {
        context_.hub.releaseGrab();
        gate_.reset();
        return true;
    });
}

void WaylandKeyGrab::enable() {
    if (handlers_) {
        grab();
    }
}

bool WaylandKeyGrab::grab() {
    const auto grabbed =
        askKeyLoop<bool>(context_.loop, kGrabBound + kAnswerMargin,
                         [this, gate = handlers_->gate](const std::function<void(bool)>& reply) {
                             gate_ = gate;
                             context_.hub.requestGrab(kGrabBound, reply);
                         });
    if (grabbed.value_or(false)) {
        return true;
    }
    // A grab that succeeds after the wait gave up must not stay behind.
    context_.loop.post([this] {
        context_.hub.releaseGrab();
        gate_.reset();
    });
    return false;
}

void WaylandKeyGrab::judge(KeyRouter::KeyId id, const KeyEvent& event) {
    PendingKey& key = pending_[id];
    key.turn = std::make_shared<std::atomic<Turn>>(Turn::waiting);
    key.timer = context_.loop.schedule(verdictBound_, [this, id] { timeOut(id); });
    if (!pacing_.holds([this, id, event] { decide(id, event); })) {
        decide(id, event);
    }
}

void WaylandKeyGrab::decide(KeyRouter::KeyId id, const KeyEvent& event) {
    const auto found = pending_.find(id);
    if (found == pending_.end()) {
        return;
    }
    PendingKey& key = found->second;
    if (gate_) {
        if (auto decided = gate_->decide(event)) {
            carryOut(id, std::move(*decided));
            return;
        }
        gate_->keyHandedToMainThread();
        key.gate = gate_;
    }
    postToMain([this, id, event, turn = key.turn] { judgeOnMainThread(id, event, turn); });
}

// The gate decided the key: its item goes on the clipboard, and the key gets its verdict once
// the compositor has the write, without waiting for the main thread, which hears of it after
// (in order with every key it judges).
void WaylandKeyGrab::carryOut(KeyRouter::KeyId id, GateKey decided) {
    PendingKey& key = pending_[id];
    key.turn->store(Turn::judging);
    key.decided = decided.verdict;
    const bool isPasteWrite = decided.kind == GateKeyKind::paste && decided.item.has_value();
    if (!decided.item) {
        decided.changeCount = context_.clipboard.changeCount();
    } else if (decided.verdict == KeyVerdict::consume) {
        // No application pastes for a consumed key: it need not wait for the write.
        decided.changeCount = context_.clipboard.writeForKey(decided.item->text, [] {});
    } else {
        decided.changeCount = context_.clipboard.writeForKey(
            decided.item->text, [post = keyThread_, this, id, verdict = decided.verdict] {
                post([this, id, verdict] { finish(id, verdict); });
            });
    }
    if (isPasteWrite) {
        key.pasteWrite = decided.changeCount;
        key.afterKey = decided.afterKey;
    }
    const KeyVerdict verdict = decided.verdict;
    const bool waitsForWrite = decided.item && verdict == KeyVerdict::passOn;
    if (decided.kind != GateKeyKind::other) {
        postToMain([this, decided = std::move(decided)] {
            if (const auto handlers = handlers_; handlers && handlers->onGateKey) {
                handlers->onGateKey(decided);
            }
        });
    }
    if (!waitsForWrite) {
        finish(id, verdict);
        return;
    }
    PendingKey& waiting = pending_[id];
    context_.loop.cancel(waiting.timer);
    waiting.timer = context_.loop.schedule(kWriteBound, [this, id] { timeOut(id); });
}

void WaylandKeyGrab::judgeOnMainThread(KeyRouter::KeyId id, const KeyEvent& event,
                                       const SharedTurn& turn) {
    // A key passed on unjudged reached the application unchanged; acting on it now would move
    // the queue on for a paste that never used the item.
    auto waiting = Turn::waiting;
    if (!turn->compare_exchange_strong(waiting, Turn::judging)) {
        return;
    }
    KeyVerdict verdict = KeyVerdict::passOn;
    context_.writes.begin();
    // A copy keeps the handlers alive even if onKeyDown removes the grab.
    if (const auto handlers = handlers_; handlers && handlers->onKeyDown) {
        verdict = handlers->onKeyDown(event);
    }
    context_.writes.end([post = keyThread_, this, id, verdict](bool wrote) {
        post([this, id, verdict, wrote] { finishJudged(id, verdict, wrote); });
    });
}

void WaylandKeyGrab::finishJudged(KeyRouter::KeyId id, KeyVerdict verdict, bool wrote) {
    const auto found = pending_.find(id);
    if (found != pending_.end() && wrote) {
        // The main thread's writes are all applied: the clipboard's count is the last one's.
        found->second.pasteWrite = context_.clipboard.changeCount();
    }
    finish(id, verdict);
}

void WaylandKeyGrab::finish(KeyRouter::KeyId id, KeyVerdict verdict) {
    const auto found = pending_.find(id);
    // A verdict after the bound comes too late: the key was passed on already.
    if (found == pending_.end()) {
        return;
    }
    context_.loop.cancel(found->second.timer);
    const PendingKey key = found->second;
    pending_.erase(found);
    if (verdict == KeyVerdict::passOn && key.pasteWrite != 0) {
        pacing_.pasteSent(key.pasteWrite);
    }
    if (verdict == KeyVerdict::passOn && key.afterKey != AfterPasteKey::none) {
        holdForAfterKey(id, key);
        return;
    }
    context_.hub.router().verdict(id, verdict);
}

// The key after a paste goes a moment after the application asked for the item, and every key
// typed meanwhile, the next Ctrl+V included, waits behind it: item, key, item, key. The moment
// matters: GTK inserts the text only once it has read it from the pipe (and may ask again for
// other types first), so a Tab sent at the request itself landed before the text. When nothing
// asks within the bound the key is not sent at all: in a place that pasted nothing it would
// only move the focus.
void WaylandKeyGrab::holdForAfterKey(KeyRouter::KeyId id, const PendingKey& key) {
    typeAfterKey();
    const std::uint16_t code = key.afterKey == AfterPasteKey::tab ? KEY_TAB : KEY_ENTER;
    const KeyLoop::TimerId timer =
        context_.loop.schedule(kAfterKeyBound, [this] { skipAfterKey(); });
    afterKey_ = AfterKeyWait{key.pasteWrite, code, timer, false};
    context_.hub.router().passOnThenHold(id);
}

void WaylandKeyGrab::skipAfterKey() {
    if (!afterKey_) {
        return;
    }
    afterKey_.reset();
    context_.hub.router().resumeWithKey(0);
    postToMain([this] {
        context_.log.info(LogCategory::session,
                          "Key after the paste not sent: the application took no text in time");
    });
}

void WaylandKeyGrab::typeAfterKey() {
    if (!afterKey_) {
        return;
    }
    const AfterKeyWait wait = *afterKey_;
    afterKey_.reset();
    context_.loop.cancel(wait.timer);
    context_.hub.router().resumeWithKey(wait.code);
}

void WaylandKeyGrab::pasteFetched(std::int64_t count) {
    pacing_.fetched(count);
    if (afterKey_ && !afterKey_->isFetched && count >= afterKey_->count) {
        afterKey_->isFetched = true;
        context_.loop.cancel(afterKey_->timer);
        afterKey_->timer = context_.loop.schedule(PastePacing::kSettle, [this] { typeAfterKey(); });
    }
}

void WaylandKeyGrab::timeOut(KeyRouter::KeyId id) {
    const auto found = pending_.find(id);
    if (found == pending_.end()) {
        return;
    }
    PendingKey key = found->second;
    pending_.erase(found);
    // Should the main thread be inside the handler right now, the key still goes: the keyboard
    // bound comes first, and that verdict arrives too late to matter.
    auto waiting = Turn::waiting;
    if (key.turn->compare_exchange_strong(waiting, Turn::expired) && key.gate) {
        key.gate->keyPassedOnUnjudged();
    }
    // A decided key keeps its verdict: the gate counted it as carried out.
    context_.hub.router().verdict(id, key.decided.value_or(KeyVerdict::passOn));
    postToMain([this] {
        context_.log.error(LogCategory::session, "Key verdict timed out — key passed on");
    });
}

void WaylandKeyGrab::settleAll() {
    for (auto& [id, key] : pending_) {
        context_.loop.cancel(key.timer);
        auto waiting = Turn::waiting;
        if (key.turn->compare_exchange_strong(waiting, Turn::expired) && key.gate) {
            key.gate->keyPassedOnUnjudged();
        }
    }
    pending_.clear();
    pacing_.drop();
    if (afterKey_) {
        context_.loop.cancel(afterKey_->timer);
        afterKey_.reset();
    }
}

void WaylandKeyGrab::grabLost() {
    gate_.reset();
    postToMain([this] {
        if (const auto handlers = handlers_; handlers && handlers->onDisabled) {
            handlers->onDisabled();
        }
    });
}

void WaylandKeyGrab::postToMain(std::function<void()> work) const {
    context_.mainThread(mainGuard_.bind(std::move(work)));
}

}  // namespace pastiq::wayland
