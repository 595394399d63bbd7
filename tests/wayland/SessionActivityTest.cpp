#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/wayland/SessionActivity.h"

namespace pastiq::wayland {
namespace {

using namespace std::chrono_literals;

constexpr const char* kSessionPath = "/org/freedesktop/login1/session/_31";
constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";

// A private bus daemon, so the test never meets the machine's own logind.
class PrivateBus {
  public:
    PrivateBus() {
        std::array<int, 2> out{};
        if (::pipe(out.data()) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions{};
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::array<const char*, 5> argv{"dbus-daemon", "--session", "--nofork", "--print-address",
                                        nullptr};
        const int spawned = ::posix_spawnp(&daemon_, "dbus-daemon", &actions, nullptr,
                                           const_cast<char* const*>(argv.data()), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        for (char c = 0; spawned == 0 && ::read(out[0], &c, 1) == 1 && c != '\n';) {
            address_ += c;
        }
        ::close(out[0]);
        if (spawned != 0) {
            daemon_ = -1;
        }
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus() {
        if (daemon_ > 0) {
            ::kill(daemon_, SIGTERM);
            ::waitpid(daemon_, nullptr, 0);
        }
    }
    [[nodiscard]] sd_bus* connect() const {
        sd_bus* bus = nullptr;
        if (address_.empty() || sd_bus_new(&bus) < 0) {
            return nullptr;
        }
        if (sd_bus_set_address(bus, address_.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 ||
            sd_bus_start(bus) < 0) {
            return sd_bus_unref(bus);
        }
        return bus;
    }

  private:
    pid_t daemon_ = -1;
    std::string address_;
};

// logind's side of one session, served on its own thread as logind would from its process.
class FakeLogind {
  public:
    explicit FakeLogind(sd_bus* bus) : bus_(bus) {
        sd_bus_request_name(bus_, "org.freedesktop.login1", 0);
        sd_bus_add_object_vtable(bus_, nullptr, kSessionPath, kSessionInterface, vtable(), this);
        thread_ = std::thread([this] { serve(); });
    }
    FakeLogind(const FakeLogind&) = delete;
    FakeLogind& operator=(const FakeLogind&) = delete;
    ~FakeLogind() {
        stop_ = true;
        thread_.join();
        sd_bus_flush_close_unref(bus_);
    }

    // Sets the session's state, then announces it on `interface`: with the new values, or as
    // names only (invalidated), as a property that does not emit its value would.
    void change(bool active, bool locked, const char* interface, bool withValues) {
        const std::scoped_lock lock(mutex_);
        work_.emplace_back([=, this] {
            active_ = active;
            locked_ = locked;
            sd_bus_message* signal = nullptr;
            sd_bus_message_new_signal(bus_, &signal, kSessionPath,
                                      "org.freedesktop.DBus.Properties", "PropertiesChanged");
            sd_bus_message_append(signal, "s", interface);
            if (withValues) {
                sd_bus_message_append(signal, "a{sv}", 3, "Active", "b", active, "Seat", "s",
                                      "seat0", "LockedHint", "b", locked);
                sd_bus_message_append(signal, "as", 0);
            } else {
                sd_bus_message_append(signal, "a{sv}", 0);
                sd_bus_message_append(signal, "as", 2, "Active", "LockedHint");
            }
            sd_bus_send(bus_, signal, nullptr);
            sd_bus_message_unref(signal);
        });
    }

  private:
    static int get(sd_bus* /*bus*/, const char* /*path*/, const char* /*interface*/,
                   const char* property, sd_bus_message* reply, void* self,
                   sd_bus_error* /*error*/) {
        const auto* logind = static_cast<FakeLogind*>(self);
        const bool value = std::string_view(property) == "Active" ? logind->active_.load()
                                                                  : logind->locked_.load();
        return sd_bus_message_append(reply, "b", static_cast<int>(value));
    }

    static const sd_bus_vtable* vtable() {
        static const std::array<sd_bus_vtable, 4> table{
            {SD_BUS_VTABLE_START(0),
             SD_BUS_PROPERTY("Active", "b", &FakeLogind::get, 0,
                             SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
             SD_BUS_PROPERTY("LockedHint", "b", &FakeLogind::get, 0,
                             SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
             SD_BUS_VTABLE_END}};
        return table.data();
    }

    void serve() {
        while (!stop_) {
            std::vector<std::function<void()>> work;
            {
                const std::scoped_lock lock(mutex_);
                work.swap(work_);
            }
            for (const auto& step : work) {
                step();
            }
            while (sd_bus_process(bus_, nullptr) > 0) {
            }
            sd_bus_wait(bus_, 10'000);
        }
    }

    sd_bus* bus_;
    std::atomic<bool> active_ = false;
    std::atomic<bool> locked_ = false;
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<std::function<void()>> work_;
    std::thread thread_;
};

// Runs the activity's bus as the key thread's poll does, until it allows `allowed` or a bound
// passes; with `whole`, for the whole bound, so a change that must not come has had its time.
bool waitUntil(SessionActivity& activity, bool allowed, std::chrono::milliseconds bound,
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
    SessionActivity activity(client, kSessionPath);
    EXPECT_FALSE(activity.allowsGrab()) << "the session starts inactive";
    ASSERT_GE(activity.fd(), 0);

    const std::vector<Step> steps{
        {"switched to", true, false, kSessionInterface, true, true},
        {"locked", true, true, kSessionInterface, true, false},
        {"unlocked, announced by name only", true, false, kSessionInterface, false, true},
        {"switched away, announced by name only", false, false, kSessionInterface, false, false},
        {"back", true, false, kSessionInterface, true, true},
        {"another interface's change", false, true, "org.freedesktop.login1.User", true, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        logind.change(step.active, step.locked, step.interface, step.withValues);
        const bool changes = step.allowed != activity.allowsGrab();
        EXPECT_TRUE(waitUntil(activity, step.allowed, changes ? 5s : 300ms, !changes));
    }
}

TEST(SessionActivityTest, AllowsGrabsWithoutABus) {
    const SessionActivity activity(nullptr, kSessionPath);
    EXPECT_TRUE(activity.allowsGrab());
    EXPECT_EQ(activity.fd(), -1);
}

}  // namespace
}  // namespace pastiq::wayland
