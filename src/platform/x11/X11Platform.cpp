#include "platform/x11/X11Platform.h"

#include "platform/atspi/AtspiSelectionProbe.h"
#include "platform/x11/ClipboardEvents.h"
#include "platform/x11/ClipboardOwner.h"
#include "platform/x11/ClipboardReader.h"
#include "platform/x11/JudgedKey.h"
#include "platform/x11/KeyboardTracker.h"
#include "platform/x11/PasteCompletion.h"
#include "platform/x11/PasteFlowControl.h"
#include "platform/x11/PastePinger.h"
#include "platform/x11/PendingPastes.h"
#include "platform/x11/QueryConnection.h"
#include "platform/x11/ServerMarks.h"
#include "platform/x11/X11Clipboard.h"
#include "platform/x11/X11EventPoster.h"
#include "platform/x11/X11FocusProbe.h"
#include "platform/x11/X11Hotkey.h"
#include "platform/x11/X11InputAccess.h"
#include "platform/x11/X11KeyGrab.h"
#include "platform/x11/X11ModifierState.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XEventLoop.h"
#include "platform/x11/XReply.h"

namespace pastiq {

using namespace x11;

// Two threads, each with its own connection. The key thread holds the grabs and answers their
// verdicts and does nothing else, so no clipboard transfer and no flood of events from another
// client can hold up a frozen key. The X11 thread serves the clipboard and everything else.
// Declared in the order of construction; the connections outlive everything using them.
struct X11Platform::Parts {
    Parts(std::unique_ptr<XConnection> opened, std::unique_ptr<XConnection> openedForKeys,
          MainThreadPost post, Log& appLog, xcb_connection_t* windowConnection)
        : connection(std::move(opened)),
          keyConnection(std::move(openedForKeys)),
          mainThread(std::move(post)),
          log(appLog),
          loop(
              connection->get(), [this](const xcb_generic_event_t& event) { route(event); },
              [this] { reportConnectionLost(); }),
          keyLoop(
              keyConnection->get(),
              [this](const xcb_generic_event_t& event) { routeKeyEvent(event); },
              [this] { reportConnectionLost(); }),
          keyboard(*connection),
          flow(
              loop.timers(), [this] { return loop.holdCommands(); },
              [this] { loop.releaseCommands(); }),
          owner(*connection, loop.timers(), flow, pendingPastes),
          marks(*connection),
          reader(*connection, loop.timers()),
          keyGrab(grabContext(), judgedKey),
          queries(connection->get()),
          pinger(*connection, queries.get(), pendingPastes),
          completion([this](std::uint32_t keyTime) { pasteDone(keyTime); }),
          hotkey(grabContext()),
          clipboard(*connection, loop, mainThread, owner, reader, flow, judgedKey),
          eventPoster(*keyConnection, keyLoop, keyGrab, keyLayout, keyboard),
          modifiers(*connection, loop, keyboard),
          focus(*connection, loop),
          inputAccess(true),
          windows(windowConnection) {}

    KeyGrabContext grabContext() {
        return {
            *keyConnection,
            keyLoop,
            mainThread,
            keyLayout,
            [this](std::function<void()> then) { afterClipboardWrites(std::move(then)); },
            [this](std::shared_ptr<const std::string> text, std::optional<JudgedKey::Press> key) {
                return clipboard.writeForKey(std::move(text), key);
            },
            [this] { return clipboard.changeCount(); },
            [this](bool hold) { clipboard.holdEngineWrites(hold); },
            log};
    }
    void afterClipboardWrites(std::function<void()> then);
    void pasteDone(std::uint32_t keyTime);
    void pingAfterReplay(xcb_timestamp_t keyTime);
    void publishLayoutToKeyThread();
    void routeKeyEvent(const xcb_generic_event_t& event);
    void route(const xcb_generic_event_t& event);
    void reportConnectionLost();

    // Main thread only.
    std::function<void()> connectionLostHandler;

    std::unique_ptr<XConnection> connection;
    std::unique_ptr<XConnection> keyConnection;
    MainThreadChannel mainThread;
    Log& log;
    XEventLoop loop;
    XEventLoop keyLoop;
    KeyboardTracker keyboard;
    // The key thread's copy of the tracked layout, replaced by the key thread when it changes.
    std::optional<KeyboardLayout> keyLayout;
    JudgedKey judgedKey;
    PasteFlowControl flow;
    PendingPastes pendingPastes;
    ClipboardOwner owner;
    ServerMarks marks;
    ClipboardReader reader;
    X11KeyGrab keyGrab;
    QueryConnection queries;
    PastePinger pinger;
    PasteCompletion completion;
    X11Hotkey hotkey;
    X11Clipboard clipboard;
    X11EventPoster eventPoster;
    X11ModifierState modifiers;
    X11FocusProbe focus;
    X11InputAccess inputAccess;
    atspi::AtspiSelectionProbe selection;
    X11WindowSystem windows;
};

void X11Platform::Parts::route(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
        marks.handlePropertyNotify(reinterpret_cast<const xcb_property_notify_event_t&>(event))) {
        return;
    }
    if (ClipboardEvents{*connection, owner, reader, clipboard}.route(event)) {
        return;
    }
    if ((event.response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
        pinger.handleClientMessage(reinterpret_cast<const xcb_client_message_event_t&>(event));
        return;
    }
    if ((event.response_type & 0x7f) == connection->xkbFirstEvent() &&
        keyboard.handleXkbEvent(event)) {
        publishLayoutToKeyThread();
    }
}

// Key thread: the grabbed key presses are all its connection gets.
void X11Platform::Parts::routeKeyEvent(const xcb_generic_event_t& event) {
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if ((event.response_type & 0x7f) != XCB_GE_GENERIC ||
        generic.extension != keyConnection->xinputOpcode() ||
        generic.event_type != XCB_INPUT_KEY_PRESS) {
        return;
    }
    const auto& press = reinterpret_cast<const xcb_input_key_press_event_t&>(event);
    if (hotkey.matches(press)) {
        hotkey.handleKeyPress(press);
    } else {
        keyGrab.handleKeyPress(press);
    }
}

void X11Platform::Parts::publishLayoutToKeyThread() {
    keyLoop.post([this, layout = keyboard.layout()] {
        keyLayout = layout;
        keyGrab.renewGrabs();
        hotkey.renewGrab();
    });
}

// X11 thread, then the key thread. A round trip proves the server has processed every earlier
// request of this connection, the clipboard writes among them; a write held back until an
// earlier paste was fetched holds this command back as well.
void X11Platform::Parts::afterClipboardWrites(std::function<void()> then) {
    loop.post([this, then = std::move(then)]() mutable {
        if (owner.takeOwnershipChange()) {
            xcb_connection_t* c = connection->get();
            static_cast<void>(fetchReply<xcb_get_input_focus_reply_t>(c, xcb_get_input_focus(c),
                                                                      xcb_get_input_focus_reply));
        }
        keyLoop.post(std::move(then));
    });
}

// X11 thread. The answer that carried the pasted text went out on this connection, the key
// that follows the paste goes on the key thread's: once the server has handled every request
// sent here, the answer is in the application's queue ahead of that key.
void X11Platform::Parts::pasteDone(std::uint32_t keyTime) {
    marks.after([this, keyTime] { keyLoop.post([this, keyTime] { keyGrab.pasteDone(keyTime); }); });
}

// Key thread, then the X11 thread. The ping must reach the application behind the replayed key,
// or its answer would confirm a paste not yet done; a round trip on the key connection proves the
// server has processed the replay before the ping goes out on the other connection.
void X11Platform::Parts::pingAfterReplay(xcb_timestamp_t keyTime) {
    xcb_connection_t* keys = keyConnection->get();
    static_cast<void>(fetchReply<xcb_get_input_focus_reply_t>(keys, xcb_get_input_focus(keys),
                                                              xcb_get_input_focus_reply));
    loop.post([this, keyTime] { pinger.keyReplayed(keyTime); });
}

void X11Platform::Parts::reportConnectionLost() {
    mainThread.post([this] {
        log.error(LogCategory::session, "X11 connection lost — keys are no longer intercepted");
        if (connectionLostHandler) {
            connectionLostHandler();
        }
    });
}

std::unique_ptr<X11Platform> X11Platform::start(MainThreadPost post, Log& log,
                                                xcb_connection_t* windowConnection) {
    auto connection = XConnection::open();
    auto keyConnection = connection ? XConnection::open() : nullptr;
    if (!connection || !keyConnection) {
        return nullptr;
    }
    auto parts = std::make_unique<Parts>(std::move(connection), std::move(keyConnection),
                                         std::move(post), log, windowConnection);
    // The threads are not running yet, so setting up here races with nothing.
    parts->keyboard.start();
    parts->keyLayout = parts->keyboard.layout();
    parts->clipboard.start();
    parts->pinger.start();
    parts->flow.setKeyFetchObserver(
        [&parts = *parts](std::uint32_t keyTime) { parts.completion.fetched(keyTime); });
    parts->pinger.setObservers(
        [&parts = *parts](xcb_timestamp_t keyTime, bool isPinged) {
            parts.completion.passedOn(keyTime, isPinged);
        },
        [&parts = *parts](xcb_timestamp_t keyTime) { parts.completion.answered(keyTime); });
    parts->keyGrab.setReplayObserver(
        [&parts = *parts](xcb_timestamp_t keyTime) { parts.pingAfterReplay(keyTime); });
    xcb_flush(parts->connection->get());
    parts->loop.start();
    parts->keyLoop.start();
    return std::make_unique<X11Platform>(Passkey{}, std::move(parts));
}

X11Platform::X11Platform(Passkey /*unused*/, std::unique_ptr<Parts> parts)
    : parts_(std::move(parts)) {}

X11Platform::~X11Platform() {
    parts_->mainThread.close();
    Parts& parts = *parts_;
    // stop() runs this before the thread ends, so no grab and no frozen key outlives Pastiq.
    parts.keyLoop.post([&parts] {
        parts.keyGrab.shutdown();
        parts.hotkey.shutdown();
    });
    parts.keyLoop.stop();
    parts.loop.stop();
}

DisplayPorts X11Platform::ports() {
    Parts& parts = *parts_;
    return {parts.clipboard, parts.keyGrab,     parts.hotkey,    parts.eventPoster, parts.modifiers,
            parts.focus,     parts.inputAccess, parts.selection, parts.windows};
}

void X11Platform::onConnectionLost(std::function<void()> handler) {
    parts_->connectionLostHandler = std::move(handler);
}

void X11Platform::setVerdictObserver(std::function<void(std::chrono::nanoseconds)> observer) {
    parts_->keyLoop.post([this, observer = std::move(observer)]() mutable {
        parts_->keyGrab.setVerdictObserver(std::move(observer));
    });
}

}  // namespace pastiq
