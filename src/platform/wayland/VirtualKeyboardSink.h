#pragma once

#include <linux/input-event-codes.h>

#include <bitset>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wayland/KeySink.h"

struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct zwp_virtual_keyboard_v1;

namespace pastiq::wayland {

class CompositorKeyboard;
class WaylandConnection;
struct CompositorKeymap;

// Pastiq's virtual keyboard through the compositor's virtual-keyboard protocol, for where
// /dev/uinput cannot be opened. Such a keyboard brings its own keymap and tells its own
// modifiers: it carries the compositor's keymap, so a key code means to applications what it
// meant on the real keyboard, and follows its keys in an xkb state to report each modifier
// change. Key thread only.
class VirtualKeyboardSink final : public KeySink {
  public:
    // Nothing when the compositor offers no virtual-keyboard protocol; `problem` tells so.
    static std::unique_ptr<VirtualKeyboardSink> create(const CompositorKeyboard& keyboard,
                                                       std::string& problem);
    VirtualKeyboardSink(std::shared_ptr<WaylandConnection> connection,
                        std::shared_ptr<const CompositorKeymap> keymap,
                        zwp_virtual_keyboard_v1* device);
    ~VirtualKeyboardSink() override;
    VirtualKeyboardSink(const VirtualKeyboardSink&) = delete;
    VirtualKeyboardSink& operator=(const VirtualKeyboardSink&) = delete;

    bool send(const std::vector<KeyStroke>& strokes) override;
    void releaseAll() override;

  private:
    static constexpr std::chrono::milliseconds kFlushBound{20};

    // Uploads the compositor's keymap when it is new to this keyboard; until the compositor
    // told one (a seat with no keyboard yet), xkb's default keymap.
    bool followKeymap();
    bool upload(const std::string& text);
    void stroke(std::uint32_t time, KeyStroke key);
    bool flush();

    std::shared_ptr<WaylandConnection> connection_;
    std::shared_ptr<const CompositorKeymap> keymap_;
    zwp_virtual_keyboard_v1* device_;
    std::unique_ptr<xkb_context, void (*)(xkb_context*)> context_;
    std::unique_ptr<xkb_keymap, void (*)(xkb_keymap*)> xkbKeymap_;
    std::unique_ptr<xkb_state, void (*)(xkb_state*)> state_;
    std::string uploaded_;
    std::bitset<KEY_CNT> held_;
    bool isGone_ = false;
};

}  // namespace pastiq::wayland
