#include "platform/wayland/ScriptedKeyboard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace pastiq::wayland {
namespace {

constexpr std::size_t kEventSize = sizeof(input_event);
constexpr std::size_t kReadChunk = 64 * kEventSize;

}  // namespace

std::unique_ptr<ScriptedKeyboard> ScriptedKeyboard::open(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISFIFO(status.st_mode)) {
        return nullptr;
    }
    // Opened for writing too, so the FIFO always has a writer: a test that closes its end
    // leaves it quiet rather than at end of file, and the next writer is read as before.
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        return nullptr;
    }
    return std::make_unique<ScriptedKeyboard>(std::move(fd), path);
}

ScriptedKeyboard::ScriptedKeyboard(UniqueFd fd, std::string path)
    : fd_(std::move(fd)), path_(std::move(path)) {}

bool ScriptedKeyboard::read(std::vector<input_event>& events) {
    std::array<unsigned char, kReadChunk> chunk{};
    for (;;) {
        const ssize_t got = ::read(fd_.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 && errno == EAGAIN;
        }
        partial_.insert(partial_.end(), chunk.begin(), chunk.begin() + got);
        const std::size_t whole = partial_.size() - (partial_.size() % kEventSize);
        for (std::size_t offset = 0; offset < whole; offset += kEventSize) {
            input_event event{};
            std::memcpy(&event, partial_.data() + offset, kEventSize);
            take(event, events);
        }
        partial_.erase(partial_.begin(), partial_.begin() + static_cast<std::ptrdiff_t>(whole));
    }
}

void ScriptedKeyboard::take(const input_event& event, std::vector<input_event>& events) {
    // A repeat (value 2) changes nothing held; a code beyond the key range is passed on but
    // not tracked.
    if (event.type == EV_KEY && event.code < KEY_CNT && event.value != 2) {
        held_.set(event.code, event.value != 0);
    }
    events.push_back(event);
}

bool ScriptedKeyboard::grab() {
    grabbed_ = true;
    return true;
}

std::vector<std::uint16_t> ScriptedKeyboard::heldKeys() {
    return codesIn(held_);
}

std::string ScriptedKeyboard::name() const {
    return "Pastiq scripted keyboard (" + path_ + ")";
}

}  // namespace pastiq::wayland
