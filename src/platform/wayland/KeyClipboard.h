#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace pastiq::wayland {

// The clipboard as the key thread uses it for a paste key: the item goes on the clipboard, and
// the key is passed on only once the focused application will find that item there.
class KeyClipboard {
  public:
    // How long a paste key waits at most for an application to fetch the previous paste's
    // text, when the compositor hands the text over directly.
    static constexpr std::chrono::milliseconds kFetchBound{150};

    virtual ~KeyClipboard() = default;
    // Any thread, never blocks. Makes `text` the clipboard's content and returns the change
    // count after the write. `applied` runs once, on the clipboard's own thread, when the
    // compositor has taken the write in, or when a bound has passed without it; it must not
    // block.
    virtual std::int64_t writeForKey(std::shared_ptr<const std::string> text,
                                     std::function<void()> applied) = 0;
    // Any thread: the change count now.
    [[nodiscard]] virtual std::int64_t changeCount() const = 0;
    // Any thread. Applications fetch a paste's text only after they see its key, so the next
    // write must wait for that: `fetched` runs, on the clipboard's own thread and without
    // blocking, each time an application first asks for a write's text, with the change count
    // that write left.
    virtual void onFetched(std::function<void(std::int64_t count)> fetched) = 0;
    // How long a paste key waits at most for the previous paste's fetch (see PastePacing).
    [[nodiscard]] virtual std::chrono::milliseconds fetchBound() const { return kFetchBound; }
};

}  // namespace pastiq::wayland
