#include "platform/wayland/CompositorKeyboard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstring>
#include <utility>

#include "platform/wayland/UniqueFd.h"
#include "platform/wayland/WaylandConnection.h"

namespace pastiq::wayland {

namespace {

// Pastiq wants the keymap alone; every other keyboard event is for the focused application.
void ignoreEnter(void* /*data*/, wl_keyboard* /*keyboard*/, std::uint32_t /*serial*/,
                 wl_surface* /*surface*/, wl_array* /*keys*/) {}
void ignoreLeave(void* /*data*/, wl_keyboard* /*keyboard*/, std::uint32_t /*serial*/,
                 wl_surface* /*surface*/) {}
void ignoreKey(void* /*data*/, wl_keyboard* /*keyboard*/, std::uint32_t /*serial*/,
               std::uint32_t /*time*/, std::uint32_t /*key*/, std::uint32_t /*state*/) {}
void ignoreModifiers(void* /*data*/, wl_keyboard* /*keyboard*/, std::uint32_t /*serial*/,
                     std::uint32_t /*depressed*/, std::uint32_t /*latched*/,
                     std::uint32_t /*locked*/, std::uint32_t /*group*/) {}
void ignoreRepeatInfo(void* /*data*/, wl_keyboard* /*keyboard*/, std::int32_t /*rate*/,
                      std::int32_t /*delay*/) {}

}  // namespace

std::unique_ptr<CompositorKeyboard> CompositorKeyboard::open(std::string& problem) {
    std::shared_ptr<WaylandConnection> connection = WaylandConnection::open(problem);
    if (!connection) {
        return nullptr;
    }
    auto keyboard = std::make_unique<CompositorKeyboard>(std::move(connection));
    // The seat's capabilities, then the keymap the keyboard brings.
    if (!keyboard->connection_->roundtrip() || !keyboard->connection_->roundtrip()) {
        problem = "the Wayland compositor closed the connection at start-up";
        return nullptr;
    }
    return keyboard;
}

CompositorKeyboard::CompositorKeyboard(std::shared_ptr<WaylandConnection> connection)
    : connection_(std::move(connection)) {
    static const wl_seat_listener listener{&CompositorKeyboard::onCapabilities,
                                           &CompositorKeyboard::onSeatName};
    wl_seat_add_listener(connection_->seat(), &listener, this);
}

CompositorKeyboard::~CompositorKeyboard() {
    releaseKeyboard();
    bool wantsWritable = false;
    connection_->flush(wantsWritable);
}

int CompositorKeyboard::fd() const {
    return connection_->fd();
}

bool CompositorKeyboard::dispatch() {
    bool wantsWritable = false;
    return connection_->dispatchWaiting() && connection_->flush(wantsWritable);
}

// A seat without a keyboard (a headless compositor before any device, or one whose last
// keyboard was unplugged) sends no keymap: the keyboard is taken when one appears.
void CompositorKeyboard::onCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
    auto& self = *static_cast<CompositorKeyboard*>(data);
    const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (hasKeyboard && self.keyboard_ == nullptr) {
        static const wl_keyboard_listener listener{&CompositorKeyboard::onKeymap,
                                                   &ignoreEnter,
                                                   &ignoreLeave,
                                                   &ignoreKey,
                                                   &ignoreModifiers,
                                                   &ignoreRepeatInfo};
        self.keyboard_ = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(self.keyboard_, &listener, &self);
    } else if (!hasKeyboard) {
        self.releaseKeyboard();
    }
}

void CompositorKeyboard::onSeatName(void* /*data*/, wl_seat* /*seat*/, const char* /*name*/) {}

void CompositorKeyboard::onKeymap(void* data, wl_keyboard* /*keyboard*/, std::uint32_t format,
                                  std::int32_t fd, std::uint32_t size) {
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
        ::close(fd);
        return;
    }
    static_cast<CompositorKeyboard*>(data)->takeKeymap(fd, size);
}

// Compositors send the keymap again whenever another keyboard becomes the active one, Pastiq's
// virtual keyboard included; only a keymap that differs is a new one.
void CompositorKeyboard::takeKeymap(std::int32_t fd, std::uint32_t size) {
    auto text = readKeymapFd(fd, size);
    if (text && text != keymap_->text) {
        keymap_->text = std::move(text);
        ++keymap_->generation;
    }
}

void CompositorKeyboard::releaseKeyboard() {
    if (keyboard_ == nullptr) {
        return;
    }
    if (wl_keyboard_get_version(keyboard_) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
        wl_keyboard_release(keyboard_);
    } else {
        wl_keyboard_destroy(keyboard_);
    }
    keyboard_ = nullptr;
}

std::optional<std::string> readKeymapFd(std::int32_t fd, std::uint32_t size) {
    const UniqueFd owned(fd);
    if (size == 0) {
        return std::nullopt;
    }
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, owned.get(), 0);
    if (mapped == MAP_FAILED) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const char*>(mapped);
    std::string text(bytes, strnlen(bytes, size));
    munmap(mapped, size);
    return text;
}

}  // namespace pastiq::wayland
