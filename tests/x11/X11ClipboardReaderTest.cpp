#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "X11Fixture.h"
#include "platform/x11/ClipboardReader.h"
#include "platform/x11/SelectionNotify.h"
#include "platform/x11/TimerQueue.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

namespace pastiq::testing {
namespace {

using namespace std::chrono_literals;

// Another application, on a thread of its own, that owns the clipboard and keeps the first
// request unanswered until a second one comes: then it answers the first with "stale" and,
// a moment later, the second with "fresh", as an owner slow to write a huge text would answer
// a read that has given up on it while the next read waits.
class LateOwner {
  public:
    explicit LateOwner(TestClient& client) : client_(client) {
        xcb_set_selection_owner(client.get(), client.window(), client.atom("CLIPBOARD"),
                                XCB_CURRENT_TIME);
        client.sync();
        thread_ = std::thread([this] { serve(); });
    }
    ~LateOwner() {
        stopping_ = true;
        thread_.join();
    }
    LateOwner(const LateOwner&) = delete;
    LateOwner& operator=(const LateOwner&) = delete;

  private:
    void serve() {
        std::vector<xcb_selection_request_event_t> requests;
        while (!stopping_ && requests.size() < 2) {
            const x11::XReply<xcb_generic_event_t> event{xcb_poll_for_event(client_.get())};
            if (!event) {
                std::this_thread::sleep_for(1ms);
            } else if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
                requests.push_back(*reinterpret_cast<xcb_selection_request_event_t*>(event.get()));
            }
        }
        if (requests.size() == 2) {
            answer(requests[0], "stale");
            std::this_thread::sleep_for(100ms);
            answer(requests[1], "fresh");
        }
    }

    void answer(const xcb_selection_request_event_t& request, const std::string& text) {
        xcb_change_property(client_.get(), XCB_PROP_MODE_REPLACE, request.requestor,
                            request.property, request.target, 8,
                            static_cast<std::uint32_t>(text.size()), text.data());
        x11::sendSelectionNotify(client_.get(), request, request.property);
        xcb_flush(client_.get());
    }

    TestClient& client_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// The reader on a connection of its own, its events and timers run by the test's thread as
// the X11 thread would run them.
class X11ClipboardReaderTest : public X11Test {
  protected:
    ClipboardText read() {
        std::optional<ClipboardText> answer;
        reader.read([&answer](ClipboardText text) { answer = std::move(text); });
        while (!answer) {
            std::this_thread::sleep_for(1ms);
            while (const x11::XReply<xcb_generic_event_t> event{
                xcb_poll_for_event(connection->get())}) {
                route(*event);
            }
            timers.runDue(x11::TimerQueue::Clock::now());
        }
        return *answer;
    }

    void route(const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7f) == XCB_SELECTION_NOTIFY) {
            reader.handleSelectionNotify(
                reinterpret_cast<const xcb_selection_notify_event_t&>(event));
        } else if ((event.response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            reader.handlePropertyNotify(
                reinterpret_cast<const xcb_property_notify_event_t&>(event));
        }
    }

    std::unique_ptr<x11::XConnection> connection = x11::XConnection::open();
    x11::TimerQueue timers;
    x11::ClipboardReader reader{*connection, timers};
};

// The first read gives up on the silent owner; the answer that owner sends it later must not
// be taken for the second read's, or a copy half written would be queued as the user's.
TEST_F(X11ClipboardReaderTest, ALateAnswerToAnAbandonedReadIsNotTakenForTheNextOne) {
    const LateOwner owner(*client);
    EXPECT_EQ(read(), ClipboardText{});
    EXPECT_EQ(read().text, "fresh");
}

}  // namespace
}  // namespace pastiq::testing
