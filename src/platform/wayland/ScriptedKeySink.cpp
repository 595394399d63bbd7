#include "platform/wayland/ScriptedKeySink.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <string>

#include "platform/wayland/UinputKeyboard.h"
#include "platform/wayland/UniqueFd.h"

namespace pastiq::wayland {

std::unique_ptr<KeySink> openScriptedKeySink(const EnvironmentLookup& environment) {
    const std::string path = environment(kTestKeySinkVariable).value_or("");
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return nullptr;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(static_cast<char*>(address.sun_path), path.c_str(), path.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0 ||
        ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return nullptr;
    }
    // Read like the uinput device's LED reports: only what waits, never blocking the key thread.
    if (::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) | O_NONBLOCK) != 0) {
        return nullptr;
    }
    return std::make_unique<UinputKeyboard>(std::move(fd));
}

}  // namespace pastiq::wayland
