#include <xcb/xcb.h>

#include <memory>
#include <string>

#include "X11Fixture.h"
#include "platform/x11/ClipboardOwner.h"
#include "platform/x11/PasteFlowControl.h"
#include "platform/x11/PendingPastes.h"
#include "platform/x11/TimerQueue.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

namespace pastiq::testing {
namespace {

// The owner on a connection of its own, its events run by the test's thread.
class X11ClipboardOwnerTest : public X11Test {
  protected:
    // Also waits until the server has answered the owner's own check of the write, so another
    // application's takeover comes after it, as it would for a write made before a copy.
    void take(const std::string& text) {
        owner.take(std::make_shared<const std::string>(text), connection->lastServerTime());
        xcb_connection_t* c = connection->get();
        static_cast<void>(x11::fetchReply<xcb_get_input_focus_reply_t>(c, xcb_get_input_focus(c),
                                                                       xcb_get_input_focus_reply));
    }

    // Another application takes the clipboard, and the owner hears of it.
    void takenByAnother() {
        xcb_set_selection_owner(client->get(), client->window(), client->atom("CLIPBOARD"),
                                XCB_CURRENT_TIME);
        client->sync();
        while (
            const x11::XReply<xcb_generic_event_t> event{xcb_wait_for_event(connection->get())}) {
            if ((event->response_type & 0x7f) == XCB_SELECTION_CLEAR) {
                owner.handleClear(reinterpret_cast<const xcb_selection_clear_event_t&>(*event));
                break;
            }
        }
        ASSERT_FALSE(owner.owns());
    }

    std::unique_ptr<x11::XConnection> connection = x11::XConnection::open();
    x11::TimerQueue timers;
    x11::PasteFlowControl flow{timers, [] { return false; }, [] {}};
    x11::PendingPastes pastes;
    x11::ClipboardOwner owner{*connection, timers, flow, pastes};
};

// A key's write must be confirmed by a round trip before the key goes on only when it took the
// clipboard from another owner: an application asking before the server made Pastiq the owner
// would paste the other owner's text. While Pastiq stays the owner no round trip is needed,
// and one skipped there would let a flood aimed at the clipboard hold up every Ctrl+V.
TEST_F(X11ClipboardOwnerTest, OnlyATakeFromAnotherOwnerAsksForConfirmation) {
    take("first");
    EXPECT_TRUE(owner.takeOwnershipChange()) << "nobody owned the clipboard";
    EXPECT_FALSE(owner.takeOwnershipChange()) << "asked once";
    take("second");
    EXPECT_FALSE(owner.takeOwnershipChange()) << "Pastiq stayed the owner";

    ASSERT_NO_FATAL_FAILURE(takenByAnother());
    take("third");
    take("fourth");
    EXPECT_TRUE(owner.takeOwnershipChange()) << "an earlier write of the batch took it over";
}

}  // namespace
}  // namespace pastiq::testing
