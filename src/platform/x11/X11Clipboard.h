#pragma once

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/ports/Clipboard.h"
#include "platform/x11/JudgedKey.h"

namespace pastiq::x11 {

class ClipboardOwner;
class ClipboardReader;
class MainThreadChannel;
class PasteFlowControl;
class XConnection;
class XEventLoop;

// The CLIPBOARD selection as the engine sees it. Writes are queued to the X11 thread in order
// with the key verdicts, so a write made while Ctrl+V is judged is in place before the key is
// passed on. Reads are queued there too and answered on the main thread; they run one at a
// time, each bounded by the reader, so a second read never cuts a slow first one short.
class X11Clipboard final : public Clipboard {
  public:
    X11Clipboard(XConnection& connection, XEventLoop& loop, const MainThreadChannel& mainThread,
                 ClipboardOwner& owner, ClipboardReader& reader, PasteFlowControl& flow,
                 JudgedKey& judgedKey);

    // Main thread (changeCount: any thread).
    [[nodiscard]] std::int64_t changeCount() const override { return changeCount_.load(); }
    void readText(ReadCompletion completion) override;
    void writeText(const std::string& text) override;
    void clear() override;

    // Key thread: a write for a key the key gate decided (with the press of a Ctrl+V that will
    // paste it, without for a step), queued in order with every other write. Returns the change
    // count it leaves.
    std::int64_t writeForKey(std::shared_ptr<const std::string> text,
                             std::optional<JudgedKey::Press> key);
    // Any thread: a write made for no key, queued in order with every other write; `taken`
    // runs on the X11 thread with the serial of the clipboard entry it put in place and the
    // change count it left, which is also returned.
    using Taken = std::function<void(std::uint64_t serial, std::int64_t count)>;
    std::int64_t writeReportingEntry(std::shared_ptr<const std::string> text, Taken taken);
    // Key thread: while held, the engine's writes made for no key wait, in order with the key
    // writes; the last of them is made on release.
    void holdEngineWrites(bool hold);

    // X11 thread.
    void start();
    void handleOwnerChange(const xcb_xfixes_selection_notify_event_t& event);

  private:
    void take(std::shared_ptr<const std::string> text);
    std::int64_t takeFor(std::shared_ptr<const std::string> text,
                         std::optional<JudgedKey::Press> key, bool isEngineWrite);
    std::uint64_t takeForNoKey(std::shared_ptr<const std::string> text);
    // X11 thread.
    void readFirstWaiting();
    void answerFirstWaiting(ClipboardText text);

    XConnection& connection_;
    XEventLoop& loop_;
    const MainThreadChannel& mainThread_;
    ClipboardOwner& owner_;
    ClipboardReader& reader_;
    PasteFlowControl& flow_;
    JudgedKey& judgedKey_;
    std::atomic<std::int64_t> changeCount_{0};
    // X11 thread: the reads asked for and not answered yet, the one running first.
    std::deque<ReadCompletion> waitingReads_;
    // X11 thread: engine writes held back, and the last of them.
    bool holdsEngineWrites_ = false;
    std::optional<std::shared_ptr<const std::string>> heldEngineWrite_;
};

}  // namespace pastiq::x11
