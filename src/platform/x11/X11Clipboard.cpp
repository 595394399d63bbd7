#include "platform/x11/X11Clipboard.h"

#include <utility>

#include "platform/x11/ClipboardOwner.h"
#include "platform/x11/ClipboardReader.h"
#include "platform/x11/JudgedKey.h"
#include "platform/x11/MainThreadChannel.h"
#include "platform/x11/PasteFlowControl.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XEventLoop.h"

namespace pastiq::x11 {

X11Clipboard::X11Clipboard(XConnection& connection, XEventLoop& loop,
                           const MainThreadChannel& mainThread, ClipboardOwner& owner,
                           ClipboardReader& reader, PasteFlowControl& flow, JudgedKey& judgedKey)
    : connection_(connection),
      loop_(loop),
      mainThread_(mainThread),
      owner_(owner),
      reader_(reader),
      flow_(flow),
      judgedKey_(judgedKey) {}

void X11Clipboard::readText(ReadCompletion completion) {
    // Queued behind earlier writes, so Pastiq reads back what it wrote last.
    loop_.post([this, completion = std::move(completion)]() mutable {
        waitingReads_.push_back(std::move(completion));
        if (waitingReads_.size() == 1) {
            readFirstWaiting();
        }
    });
}

void X11Clipboard::readFirstWaiting() {
    if (!owner_.owns()) {
        reader_.read([this](ClipboardText text) { answerFirstWaiting(std::move(text)); });
        return;
    }
    const auto own = owner_.currentText();
    answerFirstWaiting({own ? std::optional<std::string>(*own) : std::nullopt});
}

void X11Clipboard::answerFirstWaiting(ClipboardText text) {
    mainThread_.post([completion = std::move(waitingReads_.front()),
                      text = std::move(text)]() mutable { completion(std::move(text)); });
    waitingReads_.pop_front();
    if (!waitingReads_.empty()) {
        readFirstWaiting();
    }
}

void X11Clipboard::writeText(const std::string& text) {
    take(std::make_shared<const std::string>(text));
}

void X11Clipboard::clear() {
    take(nullptr);
}

void X11Clipboard::take(std::shared_ptr<const std::string> text) {
    judgedKey_.wroteClipboard = judgedKey_.press.has_value();
    takeFor(std::move(text), judgedKey_.press, true);
}

std::int64_t X11Clipboard::writeForKey(std::shared_ptr<const std::string> text,
                                       std::optional<JudgedKey::Press> key) {
    return takeFor(std::move(text), key, false);
}

void X11Clipboard::holdEngineWrites(bool hold) {
    loop_.post([this, hold] {
        holdsEngineWrites_ = hold;
        if (!hold && heldEngineWrite_) {
            takeForNoKey(*std::exchange(heldEngineWrite_, std::nullopt));
        }
    });
}

std::int64_t X11Clipboard::writeReportingEntry(std::shared_ptr<const std::string> text,
                                               Taken taken) {
    const std::int64_t count = ++changeCount_;
    loop_.post([this, text = std::move(text), taken = std::move(taken), count] {
        const std::uint64_t serial = takeForNoKey(text);
        if (taken) {
            taken(serial, count);
        }
    });
    return count;
}

std::uint64_t X11Clipboard::takeForNoKey(std::shared_ptr<const std::string> text) {
    const std::uint64_t serial = owner_.take(std::move(text), std::nullopt);
    flow_.otherWriteTaken();
    return serial;
}

std::int64_t X11Clipboard::takeFor(std::shared_ptr<const std::string> text,
                                   std::optional<JudgedKey::Press> key, bool isEngineWrite) {
    // Counted here, not when the server reports Pastiq as the new owner, so the count has moved
    // before the call returns and Pastiq's own write is never mistaken for another copy.
    const std::int64_t count = ++changeCount_;
    loop_.post([this, text = std::move(text), key, isEngineWrite] {
        if (!key && isEngineWrite && holdsEngineWrites_) {
            heldEngineWrite_ = text;
            return;
        }
        if (!key) {
            takeForNoKey(text);
            return;
        }
        // Held, this command runs again later, so it keeps its text until then.
        if (flow_.holdsKeyWrite(key->arrived)) {
            return;
        }
        flow_.keyWriteTaken(owner_.take(text, key->time), key->time);
    });
    return count;
}

void X11Clipboard::start() {
    xcb_xfixes_select_selection_input(connection_.get(), connection_.window(),
                                      connection_.atoms().clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
}

void X11Clipboard::handleOwnerChange(const xcb_xfixes_selection_notify_event_t& event) {
    connection_.noteServerTime(event.timestamp);
    if (event.selection != connection_.atoms().clipboard) {
        return;
    }
    if (event.owner == connection_.window()) {
        owner_.ownershipAnnounced(event.selection_timestamp, event.timestamp);
    } else {
        ++changeCount_;
    }
}

}  // namespace pastiq::x11
