#pragma once

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/ports/Pasteboard.h"
#include "platform/x11/JudgedKey.h"

namespace pastiq::x11 {

class ClipboardOwner;
class ClipboardReader;
class PasteFlowControl;
class XConnection;
class XEventLoop;

// The CLIPBOARD selection as the engine sees it. Writes are queued to the X11 thread in order
// with the key verdicts, so a write made while Ctrl+V is judged is in place before the key is
// passed on.
class X11Pasteboard final : public Pasteboard {
  public:
    static constexpr std::chrono::milliseconds kReadBound{500};

    X11Pasteboard(XConnection& connection, XEventLoop& loop, ClipboardOwner& owner,
                  ClipboardReader& reader, PasteFlowControl& flow, JudgedKey& judgedKey);

    // Main thread (changeCount: any thread).
    [[nodiscard]] std::int64_t changeCount() const override { return changeCount_.load(); }
    [[nodiscard]] ClipboardText readText() override;
    void writeText(const std::string& text) override;
    void clear() override;

    // Key thread: a write for a Ctrl+V the key gate decided, queued in order with every other
    // write. Returns the change count it leaves.
    std::int64_t writeForKey(std::shared_ptr<const std::string> text, JudgedKey::Press key);

    // X11 thread.
    void start();
    void handleOwnerChange(const xcb_xfixes_selection_notify_event_t& event);

  private:
    void take(std::shared_ptr<const std::string> text);
    std::int64_t takeFor(std::shared_ptr<const std::string> text,
                         std::optional<JudgedKey::Press> key);

    XConnection& connection_;
    XEventLoop& loop_;
    ClipboardOwner& owner_;
    ClipboardReader& reader_;
    PasteFlowControl& flow_;
    JudgedKey& judgedKey_;
    std::atomic<std::int64_t> changeCount_{0};
};

}  // namespace pastiq::x11
