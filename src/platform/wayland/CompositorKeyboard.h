#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/wayland/KeymapSource.h"

struct wl_keyboard;
struct wl_seat;

namespace pastiq::wayland {

class WaylandConnection;

// The keymap the compositor hands every application, and each new one it switches to.
struct CompositorKeymap {
    std::optional<std::string> text;
    std::uint64_t generation = 0;
};

// The compositor's keymap through a connection of Pastiq's own and the seat's keyboard on it.
// The compositor sends the keymap as soon as the keyboard exists, without focus, and again on
// each layout change; the key thread polls fd() and calls dispatch(). The connection also
// carries Pastiq's virtual keyboard where the compositor offers one (see VirtualKeyboardSink).
class CompositorKeyboard final : public KeymapSource {
  public:
    // Nothing when no compositor answers; `problem` then tells why.
    static std::unique_ptr<CompositorKeyboard> open(std::string& problem);
    explicit CompositorKeyboard(std::shared_ptr<WaylandConnection> connection);
    ~CompositorKeyboard() override;
    CompositorKeyboard(const CompositorKeyboard&) = delete;
    CompositorKeyboard& operator=(const CompositorKeyboard&) = delete;

    [[nodiscard]] int fd() const override;
    bool dispatch() override;
    [[nodiscard]] const std::optional<std::string>& keymap() const override {
        return keymap_->text;
    }
    [[nodiscard]] std::uint64_t keymapGeneration() const override { return keymap_->generation; }

    // For the virtual keyboard on the same connection, which follows the same keymap.
    [[nodiscard]] const std::shared_ptr<WaylandConnection>& connection() const {
        return connection_;
    }
    [[nodiscard]] std::shared_ptr<const CompositorKeymap> sharedKeymap() const { return keymap_; }

  private:
    static void onCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
    static void onSeatName(void* data, wl_seat* seat, const char* name);
    static void onKeymap(void* data, wl_keyboard* keyboard, std::uint32_t format, std::int32_t fd,
                         std::uint32_t size);
    void takeKeymap(std::int32_t fd, std::uint32_t size);
    void releaseKeyboard();

    std::shared_ptr<WaylandConnection> connection_;
    std::shared_ptr<CompositorKeymap> keymap_ = std::make_shared<CompositorKeymap>();
    wl_keyboard* keyboard_ = nullptr;
};

// The text of an xkb keymap the compositor passed as an fd of `size` bytes (its terminating NUL
// included); nothing when it cannot be read. The fd is closed.
[[nodiscard]] std::optional<std::string> readKeymapFd(std::int32_t fd, std::uint32_t size);

}  // namespace pastiq::wayland
