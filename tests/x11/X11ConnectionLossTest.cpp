#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "X11Fixture.h"
#include "platform/x11/XEventLoop.h"

namespace pastiq::testing {
namespace {

using namespace std::chrono_literals;

// libxcb refuses a request longer than the server takes and marks the connection broken
// without sending anything, as it does when it cannot allocate a large reply.
void breakOnTheClientSide(xcb_connection_t* connection, xcb_window_t window) {
    const std::uint32_t tooLong = xcb_get_maximum_request_length(connection) + 1;
    const std::vector<char> data(static_cast<std::size_t>(tooLong) * 4);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(data.size()), data.data());
    xcb_flush(connection);
}

// A connection that holds the keyboard frozen, as a grab waiting for its verdict does: when
// it breaks, the loop must close the socket so the server ends the grab, or every key of the
// user's stays frozen until the process exits.
TEST(X11ConnectionLossTest, ABrokenConnectionIsClosedSoItsGrabsEnd) {
    ASSERT_NE(sharedServer(), nullptr);
    TestClient user(sharedServer()->display());
    user.focusWindow();
    xcb_connection_t* connection = xcb_connect(sharedServer()->display().c_str(), nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    auto* grab = xcb_grab_keyboard_reply(connection,
                                         xcb_grab_keyboard(connection, 0, root, XCB_CURRENT_TIME,
                                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC),
                                         nullptr);
    ASSERT_NE(grab, nullptr);
    EXPECT_EQ(grab->status, XCB_GRAB_STATUS_SUCCESS);
    free(grab);  // NOLINT(cppcoreguidelines-no-malloc): xcb allocates replies with malloc

    std::atomic<bool> lost{false};
    x11::XEventLoop loop(
        connection, [](const xcb_generic_event_t&) {}, [&] { lost = true; });
    loop.start();
    loop.post([connection, root] { breakOnTheClientSide(connection, root); });
    for (int wait = 0; wait < 200 && !lost; ++wait) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(lost);

    EXPECT_NO_THROW(user.keyPressesUntilMarker(1000ms)) << "the keyboard stayed frozen";
    loop.stop();
    xcb_disconnect(connection);
}

}  // namespace
}  // namespace pastiq::testing
