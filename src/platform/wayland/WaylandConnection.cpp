#include "platform/wayland/WaylandConnection.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pastiq::wayland {

namespace {
// wl_seat 5 brings release requests for what Pastiq gets from it; later versions add nothing
// Pastiq uses.
constexpr std::uint32_t kSeatVersion = 5;
}  // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::open(std::string& problem) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        problem = std::string("no Wayland compositor answered: ") + std::strerror(errno);
        return nullptr;
    }
    auto connection = std::make_unique<WaylandConnection>(Key(), display);
    static const wl_registry_listener listener{&WaylandConnection::onGlobal,
                                               &WaylandConnection::onGlobalRemove};
    connection->registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(connection->registry_, &listener, connection.get());
    if (!connection->roundtrip()) {
        problem = "the Wayland compositor closed the connection at start-up";
        return nullptr;
    }
    connection->seat_ = static_cast<wl_seat*>(connection->bind(wl_seat_interface, kSeatVersion));
    if (connection->seat_ == nullptr) {
        problem = "the Wayland compositor offers no seat";
        return nullptr;
    }
    return connection;
}

WaylandConnection::~WaylandConnection() {
    if (seat_ != nullptr) {
        if (wl_seat_get_version(seat_) >= WL_SEAT_RELEASE_SINCE_VERSION) {
            wl_seat_release(seat_);
        } else {
            wl_seat_destroy(seat_);
        }
    }
    if (registry_ != nullptr) {
        wl_registry_destroy(registry_);
    }
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

int WaylandConnection::fd() const {
    return wl_display_get_fd(display_);
}

void WaylandConnection::onGlobal(void* data, wl_registry* /*registry*/, std::uint32_t name,
                                 const char* interface, std::uint32_t version) {
    static_cast<WaylandConnection*>(data)->globals_.push_back({name, interface, version});
}

void WaylandConnection::onGlobalRemove(void* data, wl_registry* /*registry*/, std::uint32_t name) {
    std::erase_if(static_cast<WaylandConnection*>(data)->globals_,
                  [name](const Global& global) { return global.name == name; });
}

const WaylandConnection::Global* WaylandConnection::find(const std::string& interfaceName) const {
    const auto found = std::ranges::find(globals_, interfaceName, &Global::interface);
    return found == globals_.end() ? nullptr : &*found;
}

bool WaylandConnection::offers(const std::string& interfaceName) const {
    return find(interfaceName) != nullptr;
}

void* WaylandConnection::bind(const wl_interface& interface, std::uint32_t maxVersion) const {
    const Global* global = find(interface.name);
    if (global == nullptr) {
        return nullptr;
    }
    const auto version =
        std::min({global->version, maxVersion, static_cast<std::uint32_t>(interface.version)});
    return wl_registry_bind(registry_, global->name, &interface, version);
}

bool WaylandConnection::roundtrip() {
    return wl_display_roundtrip(display_) >= 0;
}

bool WaylandConnection::dispatchWaiting() {
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            return false;
        }
    }
    // Reads with MSG_DONTWAIT: an empty socket reads nothing and does not block.
    if (wl_display_read_events(display_) < 0) {
        return false;
    }
    return wl_display_dispatch_pending(display_) >= 0;
}

bool WaylandConnection::prepareToPoll(bool& wantsWritable) {
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            return false;
        }
    }
    if (!flush(wantsWritable)) {
        wl_display_cancel_read(display_);
        return false;
    }
    return true;
}

bool WaylandConnection::afterPoll(bool readable) {
    if (!readable) {
        wl_display_cancel_read(display_);
    } else if (wl_display_read_events(display_) < 0) {
        return false;
    }
    return wl_display_dispatch_pending(display_) >= 0;
}

bool WaylandConnection::flush(bool& wantsWritable) {
    wantsWritable = false;
    if (wl_display_flush(display_) >= 0) {
        return true;
    }
    wantsWritable = errno == EAGAIN;
    return wantsWritable;
}

}  // namespace pastiq::wayland
