#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct wl_display;
struct wl_interface;
struct wl_registry;
struct wl_seat;

namespace pastiq::wayland {

// One connection to the compositor, owned by the one thread that uses it: the globals it
// offers, binding them, and reading its events without ever blocking that thread.
class WaylandConnection {
  public:
    // Connects to the compositor the environment names (WAYLAND_DISPLAY, a name or a path) and
    // learns its globals. Nothing when no compositor answers; `problem` then tells why.
    static std::unique_ptr<WaylandConnection> open(std::string& problem);
    struct Key {
      private:
        friend class WaylandConnection;
        Key() = default;
    };
    WaylandConnection(Key /*key*/, wl_display* display) : display_(display) {}
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    [[nodiscard]] wl_display* display() const { return display_; }
    [[nodiscard]] int fd() const;

    // Binds the first global of this interface at the highest version both sides know, up to
    // `maxVersion`; null when the compositor offers none. The caller owns the proxy.
    [[nodiscard]] void* bind(const wl_interface& interface, std::uint32_t maxVersion) const;
    [[nodiscard]] bool offers(const std::string& interfaceName) const;
    // The seat Pastiq works on: the compositor's first.
    [[nodiscard]] wl_seat* seat() const { return seat_; }

    // Blocks until the compositor answered everything sent so far; start-up only. False once
    // the connection is gone.
    bool roundtrip();
    // Handles every event that waits, reading the socket only if it has something: for a
    // thread whose poll() said the fd is readable, or that only wants what is already queued.
    // False once the connection is gone.
    bool dispatchWaiting();
    // For a thread that polls the fd itself among others: handles what is queued, sends what is
    // buffered and readies the connection for poll(); afterPoll() must follow. False once the
    // connection is gone; `wantsWritable` tells that the socket was full and poll() should wait
    // for POLLOUT too.
    bool prepareToPoll(bool& wantsWritable);
    // Reads what poll() found (`readable`) and handles it.
    bool afterPoll(bool readable);
    // Sends what is buffered. False once the connection is gone; `wantsWritable` tells that the
    // socket was full and poll() should wait for POLLOUT.
    bool flush(bool& wantsWritable);

  private:
    struct Global {
        std::uint32_t name = 0;
        std::string interface;
        std::uint32_t version = 0;
    };

    static void onGlobal(void* data, wl_registry* registry, std::uint32_t name,
                         const char* interface, std::uint32_t version);
    static void onGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
    [[nodiscard]] const Global* find(const std::string& interfaceName) const;

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::vector<Global> globals_;
};

}  // namespace pastiq::wayland
