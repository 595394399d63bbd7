#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "X11Fixture.h"
#include "platform/x11/XReply.h"

namespace pastiq::testing {
namespace {

using namespace std::chrono_literals;

// Another client that asks Pastiq's clipboard window for the text as fast as the server
// takes the requests, from its own connection and thread, until it is destroyed.
class SelectionRequestFlood {
  public:
    SelectionRequestFlood(const std::string& display, xcb_window_t owner)
        : connection_(xcb_connect(display.c_str(), nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        requestor_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, requestor_, screen->root, 0, 0, 1, 1,
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        request_.response_type = XCB_SELECTION_REQUEST;
        request_.owner = owner;
        request_.requestor = requestor_;
        request_.selection = internAtom("CLIPBOARD");
        request_.target = internAtom("UTF8_STRING");
        request_.property = internAtom("PASTIQ_FLOOD");
        request_.time = XCB_CURRENT_TIME;
        thread_ = std::thread([this] { run(); });
    }
    ~SelectionRequestFlood() {
        stopping_ = true;
        thread_.join();
        xcb_disconnect(connection_);
    }
    SelectionRequestFlood(const SelectionRequestFlood&) = delete;
    SelectionRequestFlood& operator=(const SelectionRequestFlood&) = delete;

  private:
    xcb_atom_t internAtom(std::string_view name) {
        const x11::XReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data()),
            nullptr));
        return reply ? reply->atom : XCB_NONE;
    }

    void run() {
        while (!stopping_) {
            for (int burst = 0; burst < 256; ++burst) {
                xcb_send_event(connection_, 0, request_.owner, XCB_EVENT_MASK_NO_EVENT,
                               reinterpret_cast<const char*>(&request_));
            }
            xcb_flush(connection_);
            // The answers are dropped unread, as a hostile client would.
            while (x11::XReply<xcb_generic_event_t>{xcb_poll_for_event(connection_)}) {
            }
        }
    }

    xcb_connection_t* connection_;
    xcb_window_t requestor_ = XCB_NONE;
    xcb_selection_request_event_t request_{};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// Pastiq owns the clipboard with the Ctrl+V grab installed (never answered: the main thread is
// not run), and another client floods the clipboard window with requests.
class X11EventFloodTest : public X11Test {
  protected:
    void startFlood() {
        platform->ports().clipboard.writeText("item");
        ASSERT_EQ(readClipboard().text, "item");
        const x11::XReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
            client->get(), xcb_get_selection_owner(client->get(), client->atom("CLIPBOARD")),
            nullptr));
        ASSERT_TRUE(owner && owner->owner != XCB_NONE);
        ASSERT_TRUE(platform->ports().keyGrab.install(
            {[](const KeyEvent&) { return KeyVerdict::consume; }, {}}));
        flood = std::make_unique<SelectionRequestFlood>(sharedServer()->display(), owner->owner);
        std::this_thread::sleep_for(300ms);
    }

    std::unique_ptr<SelectionRequestFlood> flood;
};

// Pastiq's X11 thread must keep serving its commands and timers while events keep coming:
// ending a session releases the grabs through one, and a flood must not keep the keyboard
// grabbed after the session ended.
TEST_F(X11EventFloodTest, AFloodOfRequestsDoesNotHoldUpReleasingTheGrabs) {
    ASSERT_NO_FATAL_FAILURE(startFlood());
    const auto removing = std::chrono::steady_clock::now();
    platform->ports().keyGrab.remove();
    client->chord({"LCTL"}, "AB04");
    EXPECT_NO_THROW(client->nextPressOf("AB04", 3000ms).value());
    EXPECT_LT(std::chrono::steady_clock::now() - removing, 1500ms);
}

// The grabs live on a connection of their own: a flood on the clipboard's connection neither
// delays a grabbed key's arrival nor keeps its bound from passing it on.
TEST_F(X11EventFloodTest, AFloodOfRequestsDoesNotHoldUpAGrabbedKey) {
    ASSERT_NO_FATAL_FAILURE(startFlood());
    const auto pressed = std::chrono::steady_clock::now();
    client->chord({"LCTL"}, "AB04");
    // The main thread is not run, so the key goes on when the bound of 250 ms runs out.
    EXPECT_NO_THROW(client->keyPressesUntilMarker(3000ms));
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, 1000ms);
}

}  // namespace
}  // namespace pastiq::testing
