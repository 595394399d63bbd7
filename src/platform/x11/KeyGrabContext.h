#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/x11/JudgedKey.h"
#include "platform/x11/KeyboardLayout.h"

namespace pastiq {
class Log;
}

namespace pastiq::x11 {

class MainThreadChannel;
class XConnection;
class XEventLoop;

// What the key-grabbing adapters (the session key grab and the hot key) work with. They grab on the
// key thread, with a connection of its own that carries nothing but the grabs and their verdicts,
// find their keys in that thread's copy of the layout and report to the main thread. The
// referenced objects outlive the adapters.
struct KeyGrabContext {
    XConnection& connection;  // key thread
    XEventLoop& loop;         // the key thread's
    const MainThreadChannel& mainThread;
    const std::optional<KeyboardLayout>& layout;  // key thread
    // Any thread: runs the callback on the key thread once the server has processed every
    // clipboard request made so far, so a key replayed then finds Pastiq's new clipboard.
    std::function<void(std::function<void()>)> afterClipboardWrites;
    // Key thread: puts an item on the clipboard for a key press that will paste it (or for none);
    // returns the change count.
    std::function<std::int64_t(std::shared_ptr<const std::string>, std::optional<JudgedKey::Press>)>
        writeForKey;
    // Any thread: the clipboard's change count now.
    std::function<std::int64_t()> clipboardChangeCount;
    // Key thread: while true, the engine's own writes (not made for a key) wait behind the keys
    // still to take effect, the last of them written once they have.
    std::function<void(bool)> holdEngineWrites;
    Log& log;  // main thread
};

}  // namespace pastiq::x11
