#include <poll.h>
#include <systemd/sd-bus.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/wayland/SessionActivity.h"

namespace pastiq::wayland {
namespace {

using namespace std::chrono_literals;

constexpr const char* kPath = "/org/freedesktop/login1/session/_31";
constexpr const char* kSession = "org.freedesktop.login1.Session";

// A private bus daemon, so the test never meets the machine's own logind.
struct PrivateBus {
    PrivateBus() {
        FILE* out = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        std::array<char, 256> line{};
        if (out != nullptr && std::fgets(line.data(), line.size(), out) != nullptr) {
            address = std::string(line.data(), std::strcspn(line.data(), "\n"));
            pid = std::fgets(line.data(), line.size(), out) != nullptr ? std::atoi(line.data()) : 0;
        }
        if (out != nullptr) {
            ::pclose(out);
        }
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
        }
    }
    [[nodiscard]] sd_bus* connect() const {
        sd_bus* bus = nullptr;
        sd_bus_new(&bus);
        if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 ||
            sd_bus_start(bus) < 0) {
            return sd_bus_unref(bus);
        }
        return bus;
    }
    std::string address;
    pid_t pid = 0;
};

// logind's side of one session, served on a thread of its own as logind serves it from its own
// process.
class FakeLogind {
  public:
    explicit FakeLogind(sd_bus* bus) : bus_(bus) {
        sd_bus_request_name(bus_, "org.freedesktop.login1", 0);
        static const std::array<sd_bus_vtable, 4> vtable{
            {SD_BUS_VTABLE_START(0),
             SD_BUS_PROPERTY("Active", "b", &get, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
             SD_BUS_PROPERTY("LockedHint", "b", &get, 0, SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
             SD_BUS_VTABLE_END}};
        sd_bus_add_object_vtable(bus_, nullptr, kPath, kSession, vtable.data(), this);
        thread_ = std::thread([this] {
            while (!stop_) {
                for (const auto& step : takeWork()) {
                    step();
                }
                while (sd_bus_process(bus_, nullptr) > 0) {
                }
                sd_bus_wait(bus_, 10'000);
            }
        });
    }
    FakeLogind(const FakeLogind&) = delete;
    FakeLogind& operator=(const FakeLogind&) = delete;
    ~FakeLogind() {
        stop_ = true;
        thread_.join();
        sd_bus_flush_close_unref(bus_);
    }

    // Sets the session's state and announces it on `interface`: with the new values, or by
    // name only (invalidated), as a property that does not send its value would.
    void change(bool active, bool locked, const char* interface, bool withValues) {
        const std::scoped_lock lock(mutex_);
        work_.emplace_back([=, this] {
            active_ = active;
            locked_ = locked;
            sd_bus_message* signal = nullptr;
            sd_bus_message_new_signal(bus_, &signal, kPath, "org.freedesktop.DBus.Properties",
                                      "PropertiesChanged");
            sd_bus_message_append(signal, "s", interface);
            if (withValues) {
                sd_bus_message_append(signal, "a{sv}as", 3, "Active", "b", active, "Seat", "s",
                                      "seat0", "LockedHint", "b", locked, 0);
            } else {
                sd_bus_message_append(signal, "a{sv}as", 0, 2, "Active", "LockedHint");
            }
            sd_bus_send(bus_, signal, nullptr);
            sd_bus_message_unref(signal);
        });
    }

  private:
    std::vector<std::function<void()>> takeWork() {
        const std::scoped_lock lock(mutex_);
        return std::exchange(work_, {});
    }

    static int get(sd_bus* /*bus*/, const char* /*path*/, const char* /*interface*/,
                   const char* property, sd_bus_message* reply, void* self,
                   sd_bus_error* /*error*/) {
        const auto* logind = static_cast<FakeLogind*>(self);
        const bool active = std::string_view(property) == "Active";
        return sd_bus_message_append(reply, "b",
                                     active ? logind->active_.load() : logind->locked_.load());
    }

    sd_bus* bus_;
    std::atomic<int> active_ = 0;
    std::atomic<int> locked_ = 0;
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<std::function<void()>> work_;
    std::thread thread_;
};

// Runs the activity's bus as the key thread's poll does, until it allows `allowed`; with
// `whole`, for the whole bound, so a change that must not come has had its time.
bool settlesAt(SessionActivity& activity, bool allowed, std::chrono::milliseconds bound,
               bool whole) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while ((whole || activity.allowsGrab() != allowed) &&
           std::chrono::steady_clock::now() < deadline) {
        pollfd ready{.fd = activity.fd(), .events = activity.pollEvents(), .revents = 0};
        ::poll(&ready, 1, 10);
        activity.dispatch();
    }
    return activity.allowsGrab() == allowed;
}

struct Step {
    const char* name;
    bool active;
    bool locked;
    const char* interface;
    bool withValues;
    bool allowed;
};

TEST(SessionActivityTest, FollowsTheSessionsActiveAndLockedState) {
    const PrivateBus bus;
    sd_bus* service = bus.connect();
    sd_bus* client = bus.connect();
    if (service == nullptr || client == nullptr) {
        sd_bus_unref(service);
        sd_bus_unref(client);
        GTEST_SKIP() << "dbus-daemon did not start";
    }
    FakeLogind logind(service);
    SessionActivity activity(client, kPath);
    EXPECT_FALSE(activity.allowsGrab()) << "the session starts inactive";
    const std::vector<Step> steps{
        {"switched to", true, false, kSession, true, true},
        {"locked", true, true, kSession, true, false},
        {"unlocked, announced by name only", true, false, kSession, false, true},
        {"switched away, announced by name only", false, false, kSession, false, false},
        {"back", true, false, kSession, true, true},
        {"another interface's change", false, true, "org.freedesktop.login1.User", true, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        logind.change(step.active, step.locked, step.interface, step.withValues);
        const bool changes = step.allowed != activity.allowsGrab();
        EXPECT_TRUE(settlesAt(activity, step.allowed, changes ? 5s : 300ms, !changes));
    }
}

}  // namespace
}  // namespace pastiq::wayland
