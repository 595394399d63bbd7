#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "engine/ports/Clipboard.h"
#include "platform/wayland/KeyClipboard.h"

namespace pastiq::wayland {

// The clipboard of the Wayland backend, whichever way it reaches the compositor: the engine's
// port on the main thread and the key thread's view of it, both made of one kind of write.
class WaylandClipboard : public Clipboard, public KeyClipboard {
  public:
    // Main thread.
    void writeText(const std::string& text) final {
        write(std::make_shared<const std::string>(text), noteWrite_ ? noteWrite_() : nullptr);
    }
    void clear() final { write(nullptr, noteWrite_ ? noteWrite_() : nullptr); }
    // Any thread (the key thread).
    std::int64_t writeForKey(std::shared_ptr<const std::string> text,
                             std::function<void()> applied) final {
        return write(std::move(text), std::move(applied));
    }

    // Main thread. A key judged on the main thread may write its item there, and must wait
    // until the compositor has that write: `noteWrite` is asked at each main-thread write for
    // a callback to run (on the clipboard's thread) once the write is applied or its bound
    // passed; it may return none.
    using WriteNote = std::function<std::function<void()>()>;
    void noteMainThreadWrites(WriteNote noteWrite) { noteWrite_ = std::move(noteWrite); }

  protected:
    // Any thread, never blocks: makes `text` (none: nothing) the clipboard's content, in order
    // with every other write, and returns the change count it leaves. `applied` (may be none)
    // runs once on the clipboard's thread when the compositor has the write, or a bound passed.
    virtual std::int64_t write(std::shared_ptr<const std::string> text,
                               std::function<void()> applied) = 0;

  private:
    WriteNote noteWrite_;
};

}  // namespace pastiq::wayland
