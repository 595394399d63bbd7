#include "platform/x11/X11ClipboardService.h"

#include <utility>

#include "platform/x11/ClipboardEvents.h"
#include "platform/x11/ClipboardOwner.h"
#include "platform/x11/ClipboardReader.h"
#include "platform/x11/JudgedKey.h"
#include "platform/x11/PasteFlowControl.h"
#include "platform/x11/PendingPastes.h"
#include "platform/x11/X11Clipboard.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XEventLoop.h"

namespace pastiq::x11 {

// Declared in the order of construction; the connection outlives everything using it. No key
// is ever judged here, so the judged key stays empty and every write is one made for no key.
struct X11ClipboardService::Parts {
    Parts(std::unique_ptr<XConnection> opened, MainThreadPost post,
          std::function<void()> connectionLost)
        : connection(std::move(opened)),
          mainThread(std::move(post)),
          onConnectionLost(std::move(connectionLost)),
          loop(
              connection->get(),
              [this](const xcb_generic_event_t& event) {
                  ClipboardEvents{*connection, owner, reader, clipboard}.route(event);
              },
              [this] { mainThread.post(onConnectionLost); }),
          flow(
              loop.timers(), [this] { return loop.holdCommands(); },
              [this] { loop.releaseCommands(); }),
          owner(*connection, loop.timers(), flow, pendingPastes),
          reader(*connection, loop.timers()),
          clipboard(*connection, loop, mainThread, owner, reader, flow, judgedKey) {}

    std::unique_ptr<XConnection> connection;
    MainThreadChannel mainThread;
    std::function<void()> onConnectionLost;
    XEventLoop loop;
    JudgedKey judgedKey;
    PasteFlowControl flow;
    PendingPastes pendingPastes;
    ClipboardOwner owner;
    ClipboardReader reader;
    X11Clipboard clipboard;
};

std::unique_ptr<X11ClipboardService> X11ClipboardService::open(
    MainThreadPost post, std::function<void()> onConnectionLost) {
    auto connection = XConnection::open(XConnection::Use::clipboardOnly);
    if (!connection) {
        return nullptr;
    }
    return std::make_unique<X11ClipboardService>(
        Passkey{}, std::make_unique<Parts>(std::move(connection), std::move(post),
                                           std::move(onConnectionLost)));
}

X11ClipboardService::X11ClipboardService(Passkey /*unused*/, std::unique_ptr<Parts> parts)
    : parts_(std::move(parts)) {}

X11ClipboardService::~X11ClipboardService() {
    parts_->mainThread.close();
    parts_->loop.stop();
}

void X11ClipboardService::setServeObserver(
    std::function<void(std::uint64_t serial, bool gaveText)> observer, bool whenTaken) {
    parts_->owner.setServeObserver(std::move(observer), whenTaken);
}

void X11ClipboardService::matchAnnouncedTimes() {
    parts_->owner.matchAnnouncedTimes();
}

// The thread is not running yet, so setting up here races with nothing.
void X11ClipboardService::start() {
    parts_->clipboard.start();
    xcb_flush(parts_->connection->get());
    parts_->loop.start();
}

X11Clipboard& X11ClipboardService::clipboard() {
    return parts_->clipboard;
}

void X11ClipboardService::post(std::function<void()> work) {
    parts_->loop.post(std::move(work));
}

TimerQueue& X11ClipboardService::timers() {
    return parts_->loop.timers();
}

}  // namespace pastiq::x11
