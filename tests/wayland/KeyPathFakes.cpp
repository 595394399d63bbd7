#include "KeyPathFakes.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <utility>

namespace pastiq::wayland::testing {
namespace {

std::pair<int, int> makePipe() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
    return {ends[0], ends[1]};
}

void wake(int fd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(fd, &one, sizeof one);
}

void drain(int fd) {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(fd, &count, sizeof count);
}

}  // namespace

Fd::~Fd() {
    reset(-1);
}

void Fd::reset(int fd) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
}

void EventLog::add(std::string entry) {
    const std::lock_guard lock(mutex_);
    entries_.push_back(std::move(entry));
}

std::vector<std::string> EventLog::entries() const {
    const std::lock_guard lock(mutex_);
    return entries_;
}

PipeKeyboard::PipeKeyboard(std::shared_ptr<EventLog> log, bool real)
    : log_(log ? std::move(log) : std::make_shared<EventLog>()), real_(real) {
    const auto [readEnd, writeEnd] = makePipe();
    readEnd_.reset(readEnd);
    writeEnd_.reset(writeEnd);
}

void PipeKeyboard::type(std::uint16_t code, std::int32_t value) const {
    const input_event key = keyEvent(code, value);
    input_event sync{};
    sync.type = EV_SYN;
    sync.code = SYN_REPORT;
    writeEvents({key, sync});
}

// The kernel's key state changes when the key does, before anyone reads the event.
void PipeKeyboard::writeEvents(const std::vector<input_event>& events) const {
    {
        const std::lock_guard lock(mutex_);
        for (const input_event& event : events) {
            if (event.type == EV_KEY && event.value == 1) {
                held_.insert(event.code);
            } else if (event.type == EV_KEY && event.value == 0) {
                held_.erase(event.code);
            }
        }
    }
    const auto* bytes = reinterpret_cast<const char*>(events.data());
    std::size_t left = events.size() * sizeof(input_event);
    while (left > 0) {
        const auto written = ::write(writeEnd_.get(), bytes, left);
        if (written <= 0) {
            throw std::runtime_error("pipe write");
        }
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
}

void PipeKeyboard::unplug() {
    unplugged_ = true;
    type(KEY_RESERVED, 0);  // makes the fd readable
}

bool PipeKeyboard::read(std::vector<input_event>& events) {
    if (unplugged_) {
        return false;
    }
    input_event buffer[64];
    for (;;) {
        const auto got = ::read(readEnd_.get(), buffer, sizeof buffer);
        if (got <= 0) {
            return true;
        }
        const auto count = static_cast<std::size_t>(got) / sizeof(input_event);
        events.insert(events.end(), buffer, buffer + count);
    }
}

bool PipeKeyboard::grab() {
    grabbed_ = true;
    log_->add("grab");
    return true;
}

void PipeKeyboard::ungrab() {
    grabbed_ = false;
    log_->add("ungrab");
}

void PipeKeyboard::changeUnseen(std::uint16_t code, bool down) {
    const std::lock_guard lock(mutex_);
    if (down) {
        held_.insert(code);
    } else {
        held_.erase(code);
    }
}

std::vector<std::uint16_t> PipeKeyboard::heldKeys() {
    const std::lock_guard lock(mutex_);
    return {held_.begin(), held_.end()};
}

void PipeKeyboard::setLed(std::uint16_t code, bool on) {
    const std::uint32_t bit = 1U << code;
    on ? leds_.fetch_or(bit) : leds_.fetch_and(~bit);
}

RecordingSink::RecordingSink(std::shared_ptr<EventLog> log)
    : log_(std::move(log)), leds_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void RecordingSink::light(std::uint16_t code, bool on) {
    const std::uint32_t bit = 1U << code;
    on ? lit_.fetch_or(bit) : lit_.fetch_and(~bit);
    wake(leds_.get());
}

bool RecordingSink::readLeds() {
    drain(leds_.get());
    return true;
}

bool RecordingSink::isLedOn(std::uint16_t code) const {
    return (lit_.load() >> code & 1U) != 0;
}

bool RecordingSink::send(const std::vector<KeyStroke>& strokes) {
    if (gone) {
        return false;
    }
    for (const KeyStroke& stroke : strokes) {
        if (onStroke) {
            onStroke(stroke);
        }
        log_->add((stroke.pressed ? "+" : "-") + std::to_string(stroke.code));
    }
    return true;
}

ListedKeyboards::ListedKeyboards(std::vector<std::shared_ptr<KeyboardDevice>> initial)
    : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    changes_.added = std::move(initial);
}

void ListedKeyboards::plug(std::shared_ptr<KeyboardDevice> device) {
    {
        const std::lock_guard lock(mutex_);
        changes_.added.push_back(std::move(device));
    }
    wake(wake_.get());
}

bool ListedKeyboards::dispatch() {
    drain(wake_.get());
    return true;
}

KeyboardSource::Changes ListedKeyboards::takeChanges() {
    const std::lock_guard lock(mutex_);
    return std::exchange(changes_, Changes{});
}

SwitchedPermission::SwitchedPermission() : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void SwitchedPermission::set(bool allowed) {
    allowed_ = allowed;
    wake(wake_.get());
}

void SwitchedPermission::dispatch() {
    drain(wake_.get());
}

std::string keymapText(const std::string& layout, const std::string& variant,
                       const std::string& options) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    const xkb_rule_names names{"evdev", "pc105", layout.c_str(), variant.c_str(), options.c_str()};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    std::string text;
    if (keymap != nullptr) {
        const std::unique_ptr<char, decltype(&std::free)> raw(
            xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1), std::free);
        text = raw.get();
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
    if (text.empty()) {
        throw std::runtime_error("no keymap for layout " + layout);
    }
    return text;
}

}  // namespace pastiq::wayland::testing
