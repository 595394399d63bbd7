#include "platform/wayland/VirtualKeyboardSink.h"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "platform/wayland/CompositorKeyboard.h"
#include "platform/wayland/UniqueFd.h"
#include "platform/wayland/WaylandConnection.h"
#include "protocols/virtual-keyboard-unstable-v1-client.h"

namespace pastiq::wayland {

namespace {

// Key event times are milliseconds on the monotonic clock, as the kernel's are.
std::uint32_t nowMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

// xkb key codes are evdev codes shifted by 8.
constexpr std::uint32_t kXkbOffset = 8;

}  // namespace

std::unique_ptr<VirtualKeyboardSink> VirtualKeyboardSink::create(const CompositorKeyboard& keyboard,
                                                                 std::string& problem) {
    auto* manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
        keyboard.connection()->bind(zwp_virtual_keyboard_manager_v1_interface, 1));
    if (manager == nullptr) {
        problem = "the Wayland compositor offers no virtual keyboard";
        return nullptr;
    }
    auto* device = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
        manager, keyboard.connection()->seat());
    zwp_virtual_keyboard_manager_v1_destroy(manager);
    auto sink = std::make_unique<VirtualKeyboardSink>(keyboard.connection(),
                                                      keyboard.sharedKeymap(), device);
    // A compositor refuses a key from a keyboard without a keymap, so it has one at once.
    if (!sink->followKeymap() || !sink->flush()) {
        problem = "the Wayland compositor refused Pastiq's virtual keyboard";
        return nullptr;
    }
    return sink;
}

VirtualKeyboardSink::VirtualKeyboardSink(std::shared_ptr<WaylandConnection> connection,
                                         std::shared_ptr<const CompositorKeymap> keymap,
                                         zwp_virtual_keyboard_v1* device)
    : connection_(std::move(connection)),
      keymap_(std::move(keymap)),
      device_(device),
      context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS), &xkb_context_unref),
      xkbKeymap_(nullptr, &xkb_keymap_unref),
      state_(nullptr, &xkb_state_unref) {}

VirtualKeyboardSink::~VirtualKeyboardSink() {
    releaseAll();
    zwp_virtual_keyboard_v1_destroy(device_);
    flush();
}

bool VirtualKeyboardSink::send(const std::vector<KeyStroke>& strokes) {
    if (isGone_ || !followKeymap()) {
        return false;
    }
    const std::uint32_t time = nowMilliseconds();
    for (const auto& key : strokes) {
        stroke(time, key);
    }
    return flush();
}

void VirtualKeyboardSink::releaseAll() {
    if (isGone_ || held_.none()) {
        return;
    }
    const std::uint32_t time = nowMilliseconds();
    for (std::size_t code = 0; code < held_.size(); ++code) {
        if (held_.test(code)) {
            stroke(time, {static_cast<std::uint16_t>(code), false});
        }
    }
    flush();
}

void VirtualKeyboardSink::stroke(std::uint32_t time, KeyStroke key) {
    if (key.code >= held_.size() || held_.test(key.code) == key.pressed) {
        return;
    }
    held_.set(key.code, key.pressed);
    zwp_virtual_keyboard_v1_key(
        device_, time, key.code,
        key.pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    const auto changed = xkb_state_update_key(state_.get(), key.code + kXkbOffset,
                                              key.pressed ? XKB_KEY_DOWN : XKB_KEY_UP);
    if ((changed & (XKB_STATE_MODS_EFFECTIVE | XKB_STATE_LAYOUT_EFFECTIVE)) != 0) {
        zwp_virtual_keyboard_v1_modifiers(
            device_, xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_DEPRESSED),
            xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_LATCHED),
            xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_LOCKED),
            xkb_state_serialize_layout(state_.get(), XKB_STATE_LAYOUT_EFFECTIVE));
    }
}

bool VirtualKeyboardSink::followKeymap() {
    if (keymap_->text) {
        return *keymap_->text == uploaded_ || upload(*keymap_->text);
    }
    if (xkbKeymap_) {
        return true;
    }
    const xkb_rule_names defaults{};
    const std::unique_ptr<xkb_keymap, void (*)(xkb_keymap*)> fallback(
        xkb_keymap_new_from_names(context_.get(), &defaults, XKB_KEYMAP_COMPILE_NO_FLAGS),
        &xkb_keymap_unref);
    char* text =
        fallback ? xkb_keymap_get_as_string(fallback.get(), XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
    const bool uploaded = text != nullptr && upload(text);
    free(text);  // NOLINT(cppcoreguidelines-no-malloc): xkbcommon allocates it with malloc
    return uploaded;
}

// A new keymap starts from no key held: the keys still down are let go under the old one.
bool VirtualKeyboardSink::upload(const std::string& text) {
    decltype(xkbKeymap_) compiled(
        xkb_keymap_new_from_string(context_.get(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                   XKB_KEYMAP_COMPILE_NO_FLAGS),
        &xkb_keymap_unref);
    const UniqueFd fd(memfd_create("pastiq-keymap", MFD_CLOEXEC));
    const std::size_t size = text.size() + 1;
    if (!compiled || !fd.valid() ||
        ::write(fd.get(), text.c_str(), size) != static_cast<ssize_t>(size)) {
        return false;
    }
    if (state_) {
        releaseAll();
    }
    zwp_virtual_keyboard_v1_keymap(device_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd.get(),
                                   static_cast<std::uint32_t>(size));
    state_.reset(xkb_state_new(compiled.get()));
    xkbKeymap_ = std::move(compiled);
    uploaded_ = text;
    return state_ != nullptr;
}

// Nothing else flushes this connection when it is full, so a key left in its buffer would wait
// for the next one: the compositor, which reads its clients all the time, is given a short
// while to make room.
bool VirtualKeyboardSink::flush() {
    const auto end = std::chrono::steady_clock::now() + kFlushBound;
    bool wantsWritable = false;
    while (!isGone_) {
        if (!connection_->flush(wantsWritable)) {
            isGone_ = true;
        } else if (!wantsWritable) {
            break;
        } else {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd writable{connection_->fd(), POLLOUT, 0};
            if (left.count() <= 0 || ::poll(&writable, 1, static_cast<int>(left.count())) == 0) {
                break;
            }
        }
    }
    return !isGone_;
}

}  // namespace pastiq::wayland
