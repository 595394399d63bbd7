#pragma once

#include <functional>
#include <memory>

namespace pastiq::wayland {

// The clipboard writes the main thread makes while it judges a key: a paste key writes its item
// and must reach the application only once the compositor has taken that write in. The
// clipboard reports each write it makes on the main thread here; the key grab lets the key go
// once all of them are applied.
class JudgedKeyWrites {
  public:
    // Main thread, by the clipboard, for each write. The returned callback (any thread, call it
    // once) says the write was applied or its bound passed; nullptr when no key is being judged.
    [[nodiscard]] std::function<void()> noteWrite();

    // Main thread, by the key grab, around one key's judgement. `then` runs once every write
    // noted in between was applied: at once when there was none, else on the thread of the last
    // applied callback. It is told whether any write was made.
    void begin();
    void end(std::function<void(bool wrote)> then);

  private:
    struct Latch;
    std::shared_ptr<Latch> current_;
};

}  // namespace pastiq::wayland
