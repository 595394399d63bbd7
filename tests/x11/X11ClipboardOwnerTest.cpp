#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "X11Fixture.h"
#include "platform/x11/AnswerTakes.h"
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

    // Runs the owner's requests and property changes until `done` holds, for two seconds at
    // most.
    bool runUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            const x11::XReply<xcb_generic_event_t> event{xcb_poll_for_event(connection->get())};
            if (!event) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            const auto type = event->response_type & 0x7f;
            if (type == XCB_SELECTION_REQUEST) {
                owner.handleRequest(reinterpret_cast<const xcb_selection_request_event_t&>(*event));
                ++requests;
            } else if (type == XCB_PROPERTY_NOTIFY) {
                owner.handlePropertyNotify(
                    reinterpret_cast<const xcb_property_notify_event_t&>(*event));
            } else if (type == connection->xfixesFirstEvent() + XCB_XFIXES_SELECTION_NOTIFY) {
                const auto& notify =
                    reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(*event);
                connection->noteServerTime(notify.timestamp);
                owner.ownershipAnnounced(notify.selection_timestamp, notify.timestamp);
                announcements.push_back(notify.timestamp);
            }
        }
        return done();
    }

    int requests = 0;
    std::vector<xcb_timestamp_t> announcements;
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

// A requestor that passes the text on, as a compositor's bridge does, has it only once it took
// it from its window: a text answer is told then, or once the bound passed for one never taken.
TEST_F(X11ClipboardOwnerTest, ATextAnswerIsToldOnceTheRequestorTookIt) {
    std::vector<bool> told;
    owner.setServeObserver(
        [&](std::uint64_t /*serial*/, bool gaveText) { told.push_back(gaveText); }, true);
    take("item");

    std::optional<Converted> converted;
    std::thread requestor(
        [&] { converted = client->convertClipboard(client->atom("UTF8_STRING")); });
    const bool wasTold = runUntil([&] { return !told.empty(); });
    requestor.join();
    EXPECT_TRUE(wasTold);
    EXPECT_EQ(told, std::vector<bool>{true});
    ASSERT_TRUE(converted.has_value());
    EXPECT_EQ(converted->bytes, "item");

    told.clear();
    xcb_convert_selection(client->get(), client->window(), client->atom("CLIPBOARD"),
                          client->atom("UTF8_STRING"), client->atom("NEVER_READ"),
                          XCB_CURRENT_TIME);
    client->sync();
    ASSERT_TRUE(runUntil([&] { return requests == 2; }));
    EXPECT_TRUE(told.empty()) << "told before the requestor took it";
    timers.runDue(x11::TimerQueue::Clock::now() + x11::AnswerTakes::kBound);
    EXPECT_EQ(told, std::vector<bool>{true});
}

// Through a compositor's bridge every write is made without a key and dates from the last time
// Pastiq saw, often the announcement of the write before; the compositor asks with the time of
// that announcement, even when its request comes after the next write.
TEST_F(X11ClipboardOwnerTest, ARequestAtAnAnnouncementTimeGetsTheEntryAnnouncedThen) {
    owner.matchAnnouncedTimes();
    xcb_xfixes_select_selection_input(connection->get(), connection->window(),
                                      connection->atoms().clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    owner.take(std::make_shared<const std::string>("first"), std::nullopt);
    ASSERT_TRUE(runUntil([&] { return announcements.size() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(3));  // a later server millisecond
    owner.take(std::make_shared<const std::string>("second"), std::nullopt);
    ASSERT_TRUE(runUntil([&] { return announcements.size() == 2; }));

    struct Case {
        xcb_timestamp_t time;
        std::string expected;
    };
    for (const Case& c : std::vector<Case>{{announcements[0], "first"},
                                           {announcements[1], "second"},
                                           {XCB_CURRENT_TIME, "second"}}) {
        std::optional<Converted> converted;
        std::thread requestor(
            [&] { converted = client->convertClipboard(client->atom("UTF8_STRING"), c.time); });
        const int before = requests;
        runUntil([&] { return requests > before; });
        requestor.join();
        ASSERT_TRUE(converted.has_value()) << c.time;
        EXPECT_EQ(converted->bytes, c.expected) << c.time;
    }
}

}  // namespace
}  // namespace pastiq::testing
