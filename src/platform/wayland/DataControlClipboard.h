#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "model/StepGuard.h"
#include "platform/wayland/WaylandClipboard.h"

namespace pastiq::wayland {

class ClipboardWorker;

// The clipboard through the compositor's data-control protocol, for a Pastiq without focus.
// Every call hands its work to the clipboard thread and returns at once; writes and reads run
// there in the order they were made, and read answers come back through the main thread.
class DataControlClipboard final : public WaylandClipboard {
  public:
    // Queues work on the main thread; callable from any thread.
    using MainThreadPost = std::function<void(std::function<void()>)>;

    struct Started {
        std::unique_ptr<DataControlClipboard> clipboard;
        // Why there is none: no compositor, or no data-control protocol (GNOME).
        std::string problem;
    };
    [[nodiscard]] static Started start(MainThreadPost postToMain);

    DataControlClipboard(std::unique_ptr<ClipboardWorker> worker, MainThreadPost postToMain);
    ~DataControlClipboard() override;
    DataControlClipboard(const DataControlClipboard&) = delete;
    DataControlClipboard& operator=(const DataControlClipboard&) = delete;

    // Any thread.
    [[nodiscard]] std::int64_t changeCount() const override;
    // Main thread.
    void readText(ReadCompletion completion) override;
    // Any thread. Applications fetch a paste's text only after they see its key, so a write
    // made before that replaces the item the key was meant to paste: a key path holds the next
    // paste's write until `fetched` reports the previous one's change count (or a bound
    // passes). It runs on the clipboard thread, once per write an application asks for, and
    // must not block.
    void onFetched(std::function<void(std::int64_t count)> fetched) override;

  private:
    std::int64_t write(std::shared_ptr<const std::string> text,
                       std::function<void()> applied) override;

    MainThreadPost postToMain_;
    // Answers posted to the main thread do nothing once this clipboard is gone.
    StepGuard guard_;
    std::unique_ptr<ClipboardWorker> worker_;
};

}  // namespace pastiq::wayland
