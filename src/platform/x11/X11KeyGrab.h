#pragma once

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/PasteGate.h"
#include "engine/ports/KeyGrab.h"
#include "platform/x11/AfterPasteKeys.h"
#include "platform/x11/JudgedKey.h"
#include "platform/x11/KeyGrabContext.h"
#include "platform/x11/KeyGrabSet.h"
#include "platform/x11/TimerQueue.h"

namespace pastiq::x11 {

// Ctrl+V, Ctrl+C, Ctrl+[ and Ctrl+] grabbed synchronously on the root window. The keyboard
// stays frozen on a grabbed press until its verdict replays the key (pass on) or releases it
// unseen (consume). A key the installed paste gate decides is carried out on the key thread
// itself; a key it leaves undecided waits for the main thread's verdict, and the key thread
// passes it on by itself when none came within the bound. A paste the gate decided may be
// followed by a key Pastiq presses once the application has taken the item.
class X11KeyGrab final : public KeyGrab {
  public:
    using VerdictObserver = std::function<void(std::chrono::nanoseconds)>;
    using ReplayObserver = std::function<void(xcb_timestamp_t)>;
    static constexpr std::chrono::milliseconds kVerdictBound{250};

    X11KeyGrab(const KeyGrabContext& context, JudgedKey& judgedKey);
    ~X11KeyGrab() override;
    X11KeyGrab(const X11KeyGrab&) = delete;
    X11KeyGrab& operator=(const X11KeyGrab&) = delete;

    // Main thread.
    bool install(Handlers handlers) override;
    void remove() override;
    void enable() override;

    // X11 thread.
    void handleKeyPress(const xcb_input_key_press_event_t& event);
    void renewGrabs();
    // The application is done with the Ctrl+V pressed at `keyTime` (see PasteCompletion).
    void pasteDone(xcb_timestamp_t keyTime) { afterKeys_.pasteDone(keyTime); }
    [[nodiscard]] bool isGrabbing() const { return grabs_.isActive(); }
    // Told how long each verdict took, from the grabbed press to the replay or release.
    void setVerdictObserver(VerdictObserver observer) { observer_ = std::move(observer); }
    // Told the server time of each key passed on, once its replay has been sent.
    void setReplayObserver(ReplayObserver observer) { replayObserver_ = std::move(observer); }
    // Passes every waiting key on and releases the grabs.
    void shutdown();

  private:
    // Who settles a grabbed key first: the main thread starting to judge it, or the X11 thread
    // passing it on unjudged (bound passed, grabs released). Shared by both threads.
    enum class KeyTurn : std::uint8_t { waiting, judging, expired };
    using SharedTurn = std::shared_ptr<std::atomic<KeyTurn>>;

    struct PendingKey {
        std::uint64_t id;
        xcb_input_device_id_t device;
        xcb_timestamp_t time;
        TimerQueue::Clock::time_point arrived;
        TimerQueue::Id timer;
        SharedTurn turn;
        // Set for a key handed to the main thread while a gate was installed.
        std::shared_ptr<PasteGate> gate;
    };

    bool enableGrabs();
    void judge(const PendingKey& key, const KeyEvent& event);
    void carryOut(PendingKey& key, GateKey decided, std::uint32_t pressSequence);
    void waitForTurn(const PendingKey& key, GateKey decided);
    void carryOutInTurn(AfterPasteKeys::Waiting key);
    void report(GateKey decided);
    bool grabShortcuts();
    void releaseShortcuts();
    void applyVerdict(std::uint64_t id, KeyVerdict verdict);
    void timeOut(std::uint64_t id);
    void passOnUnjudged(std::vector<PendingKey>::iterator pending);
    void finish(std::vector<PendingKey>::iterator pending, KeyVerdict verdict);
    void allowEvent(xcb_input_device_id_t device, xcb_timestamp_t time, KeyVerdict verdict);

    KeyGrabContext context_;
    JudgedKey& judgedKey_;

    // Main thread.
    std::shared_ptr<Handlers> handlers_;
    // X11 thread.
    KeyGrabSet grabs_;
    std::shared_ptr<PasteGate> gate_;
    std::vector<PendingKey> pending_;
    AfterPasteKeys afterKeys_;
    std::uint64_t nextId_ = 1;
    VerdictObserver observer_;
    ReplayObserver replayObserver_;
};

// The reported modifiers of a core modifier mask; lock states are left out.
[[nodiscard]] Modifiers modifiersOfMask(std::uint32_t mask);

}  // namespace pastiq::x11
