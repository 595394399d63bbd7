#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/PasteGate.h"
#include "engine/ports/KeyGrab.h"

namespace pastiq::testing {

// Key interception without a display. press() delivers a key-down as the system would: to the
// installed, enabled handler, which gives the verdict; otherwise the key simply reaches the
// application.
class FakeKeyGrab : public KeyGrab {
  public:
    bool install(Handlers handlers) override;
    void remove() override;
    void enable() override;

    KeyVerdict press(const KeyEvent& event);
    // Ctrl plus `key`, with further modifiers as given.
    KeyVerdict pressCtrl(KeyPosition key, Modifiers extra = {}, bool isRepeat = false);
    // The system switches interception off and tells the handler.
    void reportDisabled();

    bool refusesInstall = false;

    // Judging as a backend with a key thread does: every key goes to the gate first, and one it
    // decides has its item written through writeForKey (returning the change count after it)
    // and is reported to the engine when the test delivers it, as a busy main thread would
    // later. The gate hears of the engine's state when the test runs the main queue.
    bool usesGate = false;
    std::function<std::int64_t(const std::string&)> writeForKey;
    std::function<std::int64_t()> changeCount;
    void deliverGateKeys();
    // The key as the main thread gets it once the gate has let it through.
    KeyVerdict deliverToMainThread(const KeyEvent& event) { return handlers_.onKeyDown(event); }
    [[nodiscard]] const std::shared_ptr<PasteGate>& gate() const { return handlers_.gate; }
    [[nodiscard]] std::size_t undeliveredGateKeys() const { return gateKeys_.size(); }

    [[nodiscard]] bool isInstalled() const { return isInstalled_; }
    [[nodiscard]] bool isEnabled() const { return isInstalled_ && isEnabled_; }
    [[nodiscard]] int installCount() const { return installCount_; }
    [[nodiscard]] int removeCount() const { return removeCount_; }
    [[nodiscard]] int enableCount() const { return enableCount_; }

  private:
    [[nodiscard]] std::optional<KeyVerdict> decideThroughGate(const KeyEvent& event);

    Handlers handlers_;
    std::deque<GateKey> gateKeys_;
    bool isInstalled_ = false;
    bool isEnabled_ = false;
    int installCount_ = 0;
    int removeCount_ = 0;
    int enableCount_ = 0;
};

}  // namespace pastiq::testing
