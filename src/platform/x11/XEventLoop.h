#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <deque>
#include <functional>
#include <thread>

#include "platform/x11/CommandQueue.h"
#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

// The X11 thread: one poll loop over the connection's socket, the command queue's eventfd and
// the timers. It never waits for the main thread, so a grabbed key is answered even while the
// main thread is busy.
class XEventLoop {
  public:
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;

    XEventLoop(xcb_connection_t* connection, EventHandler handler,
               std::function<void()> onConnectionLost);
    ~XEventLoop();
    XEventLoop(const XEventLoop&) = delete;
    XEventLoop& operator=(const XEventLoop&) = delete;

    void start();
    // Runs the queued commands still waiting, then ends the thread and joins it.
    void stop();

    // Any thread. Commands run in the order they were posted.
    void post(CommandQueue::Command command) { commands_.push(std::move(command)); }
    [[nodiscard]] bool isRunning() const { return running_.load(); }

    // X11 thread only.
    [[nodiscard]] TimerQueue& timers() { return timers_; }
    // Called from inside a command: that command runs again, before anything posted after it,
    // once releaseCommands() is called. Meanwhile later commands wait in order while events
    // and timers are still served. False, holding nothing, once the loop is stopping or has
    // lost its connection: the command must then carry on at once.
    [[nodiscard]] bool holdCommands();
    void releaseCommands() { isHeld_ = false; }

  private:
    void run();
    // Handles at most a turn's share of the queued events; true when more may be queued.
    bool dispatchPendingEvents();
    void runCommands();
    [[nodiscard]] bool waitForWork(bool backlog);

    xcb_connection_t* connection_;
    EventHandler handler_;
    std::function<void()> onConnectionLost_;
    CommandQueue commands_;
    TimerQueue timers_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> running_{false};
    // X11 thread: commands taken from the queue and not run yet, and the hold on them.
    std::deque<CommandQueue::Command> waiting_;
    bool isHeld_ = false;
    bool holdAsked_ = false;
};

}  // namespace pastiq::x11
