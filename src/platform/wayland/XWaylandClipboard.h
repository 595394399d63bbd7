#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "engine/ports/Log.h"
#include "platform/wayland/BridgeWait.h"
#include "platform/wayland/BridgedFetches.h"
#include "platform/wayland/WaylandClipboard.h"

namespace pastiq::x11 {
class X11ClipboardService;
}

namespace pastiq::wayland {

// The clipboard on a compositor without data-control (GNOME): Pastiq owns the X11 CLIPBOARD
// of XWayland, which the compositor bridges to native Wayland applications without asking
// which window has focus, and watches it for copies made on either side. The X11 backend's
// clipboard thread serves it; a write counts as applied once the compositor asked for it.
class XWaylandClipboard final : public WaylandClipboard {
    struct Passkey {};

  public:
    using MainThreadPost = std::function<void(std::function<void()>)>;
    // Nothing when no X display answers (no DISPLAY, or no XWayland). `log` is only called on
    // the main thread and outlives the clipboard.
    static std::unique_ptr<XWaylandClipboard> start(const MainThreadPost& post, Log& log);
    XWaylandClipboard(Passkey, std::unique_ptr<x11::X11ClipboardService> service, Log& log);
    // Stops the clipboard thread and logs how the compositor kept up with the writes. Main
    // thread.
    ~XWaylandClipboard() override;
    XWaylandClipboard(const XWaylandClipboard&) = delete;
    XWaylandClipboard& operator=(const XWaylandClipboard&) = delete;

    // Any thread.
    [[nodiscard]] std::int64_t changeCount() const override;
    // Main thread.
    void readText(ReadCompletion completion) override;
    // Any thread (the key thread).
    void onFetched(std::function<void(std::int64_t count)> fetched) override;
    [[nodiscard]] std::chrono::milliseconds fetchBound() const override {
        return kBridgedFetchBound;
    }

  private:
    // The compositor passes an application's read on through hops of its own, and on a loaded
    // machine it stalls now and then: reads came up to 200 ms after their key. Once the wait
    // gives up, the next item goes in place and a read still on its way pastes that one.
    static constexpr std::chrono::milliseconds kBridgedFetchBound{400};

    std::int64_t write(std::shared_ptr<const std::string> text,
                       std::function<void()> applied) override;

    // How long the writes waited for the compositor; clipboard thread while it runs.
    struct BridgeTimes {
        int asked = 0;
        int unasked = 0;
        BridgeWait::Clock::duration total{};
        BridgeWait::Clock::duration longest{};
    };
    struct Written {
        std::uint64_t serial;
        std::int64_t count;
    };

    // Clipboard thread.
    void served(std::uint64_t serial, bool gaveText);
    void noteWritten(Written written);

    Log& log_;
    BridgeTimes times_;
    // Clipboard thread: the latest writes' entries and counts, and the applications' fetches.
    std::deque<Written> written_;
    std::function<void(std::int64_t)> fetched_;
    std::unique_ptr<BridgedFetches> fetches_;
    std::unique_ptr<BridgeWait> bridge_;
    // Stopped first: nothing above is used by the thread once it is gone.
    std::unique_ptr<x11::X11ClipboardService> service_;
};

}  // namespace pastiq::wayland
