#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wayland/KeyCodeSet.h"
#include "platform/wayland/KeyboardDevice.h"
#include "platform/wayland/UniqueFd.h"

namespace pastiq::wayland {

// A stand-in keyboard for the end-to-end tests: a FIFO into which a test writes the kernel's
// `struct input_event`s. It reaches the compositor only through Pastiq, so Pastiq passes on
// what it reads whether or not it holds a grab. Key thread only.
class ScriptedKeyboard final : public KeyboardDevice {
  public:
    // Opens the FIFO at `path`; nothing when the path is no FIFO or cannot be opened.
    [[nodiscard]] static std::unique_ptr<ScriptedKeyboard> open(const std::string& path);

    ScriptedKeyboard(UniqueFd fd, std::string path);

    [[nodiscard]] int fd() const override { return fd_.get(); }
    bool read(std::vector<input_event>& events) override;
    bool grab() override;
    void ungrab() override { grabbed_ = false; }
    [[nodiscard]] std::vector<std::uint16_t> heldKeys() override;
    [[nodiscard]] bool reachesCompositorUngrabbed() const override { return false; }
    [[nodiscard]] std::string name() const override;
    [[nodiscard]] bool grabbed() const { return grabbed_; }

  private:
    void take(const input_event& event, std::vector<input_event>& events);

    UniqueFd fd_;
    std::string path_;
    // The start of an event whose other bytes the writer has not written yet.
    std::vector<unsigned char> partial_;
    KeyCodeSet held_;
    bool grabbed_ = false;
};

}  // namespace pastiq::wayland
