#include "platform/wayland/SessionActivity.h"

#include <systemd/sd-bus.h>
#include <systemd/sd-login.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string_view>

namespace pastiq::wayland {
namespace {

constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";
constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr std::chrono::microseconds kStartBound = std::chrono::seconds(2);

// Takes over a string sd-login or sd-bus allocated.
std::string adopt(char* text) {
    std::string copy = text == nullptr ? std::string() : std::string(text);
    std::free(text);  // NOLINT(cppcoreguidelines-no-malloc): sd-login hands out malloc'd text
    return copy;
}

std::string sessionId(const EnvironmentLookup& environment) {
    char* found = nullptr;
    if (sd_pid_get_session(0, &found) >= 0) {
        return adopt(found);
    }
    if (auto id = environment("XDG_SESSION_ID"); id && !id->empty()) {
        return *id;
    }
    if (sd_uid_get_display(::getuid(), &found) >= 0) {
        return adopt(found);
    }
    return {};
}

}  // namespace

struct SessionActivity::Callbacks {
    static int onPropertiesChanged(sd_bus_message* message, void* self, sd_bus_error* error);
    static int onAllProperties(sd_bus_message* message, void* self, sd_bus_error* error);
};

void SessionActivity::BusUnref::operator()(sd_bus* bus) const {
    sd_bus_flush_close_unref(bus);
}

void SessionActivity::SlotUnref::operator()(sd_bus_slot* slot) const {
    sd_bus_slot_unref(slot);
}

std::unique_ptr<SessionActivity> SessionActivity::forThisProcess(
    const EnvironmentLookup& environment) {
    const std::string id = sessionId(environment);
    char* path = nullptr;
    sd_bus* bus = nullptr;
    if (id.empty() ||
        sd_bus_path_encode("/org/freedesktop/login1/session", id.c_str(), &path) < 0 ||
        sd_bus_open_system(&bus) < 0) {
        return std::make_unique<SessionActivity>(nullptr, adopt(path));
    }
    return std::make_unique<SessionActivity>(bus, adopt(path));
}

SessionActivity::SessionActivity(sd_bus* bus, std::string sessionPath, std::string service)
    : bus_(bus), sessionPath_(std::move(sessionPath)), service_(std::move(service)) {
    if (bus_) {
        start();
    }
}

SessionActivity::~SessionActivity() {
    stop();
}

// The match comes first, so a change between it and the first read is not lost.
void SessionActivity::start() {
    // The first reads wait for logind; a wedged one must not hold Pastiq's start for long.
    sd_bus_set_method_call_timeout(bus_.get(), kStartBound.count());
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(bus_.get(), &slot, service_.c_str(), sessionPath_.c_str(),
                            kPropertiesInterface, "PropertiesChanged",
                            &Callbacks::onPropertiesChanged, this) < 0) {
        stop();
        return;
    }
    changes_.reset(slot);
    int active = 1;
    int locked = 0;
    sd_bus_error error{};  // SD_BUS_ERROR_NULL, without its C compound literal
    const bool read =
        sd_bus_get_property_trivial(bus_.get(), service_.c_str(), sessionPath_.c_str(),
                                    kSessionInterface, "Active", &error, 'b', &active) >= 0 &&
        sd_bus_get_property_trivial(bus_.get(), service_.c_str(), sessionPath_.c_str(),
                                    kSessionInterface, "LockedHint", &error, 'b', &locked) >= 0;
    sd_bus_error_free(&error);
    if (!read) {
        // No such session (a stale id, a container's logind): nothing to follow.
        stop();
        return;
    }
    active_ = active != 0;
    locked_ = locked != 0;
}

void SessionActivity::stop() {
    pendingRead_.reset();
    changes_.reset();
    bus_.reset();
}

int SessionActivity::fd() const {
    return bus_ ? sd_bus_get_fd(bus_.get()) : -1;
}

short SessionActivity::pollEvents() const {
    const int events = bus_ ? sd_bus_get_events(bus_.get()) : 0;
    return static_cast<short>(events < 0 ? 0 : events);
}

void SessionActivity::dispatch() {
    while (bus_) {
        const int result = sd_bus_process(bus_.get(), nullptr);
        if (result < 0) {
            stop();
        } else if (result == 0) {
            return;
        }
    }
}

int SessionActivity::Callbacks::onPropertiesChanged(sd_bus_message* message, void* self,
                                                    sd_bus_error* /*error*/) {
    auto* activity = static_cast<SessionActivity*>(self);
    const char* interface = nullptr;
    if (sd_bus_message_read(message, "s", &interface) < 0 ||
        std::string_view(interface) != kSessionInterface) {
        return 0;
    }
    if (activity->readChanged(message)) {
        activity->askAll();
    }
    return 0;
}

int SessionActivity::Callbacks::onAllProperties(sd_bus_message* message, void* self,
                                                sd_bus_error* /*error*/) {
    auto* activity = static_cast<SessionActivity*>(self);
    activity->pendingRead_.reset();
    if (sd_bus_message_is_method_error(message, nullptr) == 0) {
        activity->readChanged(message);
    }
    return 0;
}

// Reads a property dictionary (a{sv}) and, after a change signal, its invalidated names (as).
// True when Active or LockedHint changed without its value, so it must be asked for.
bool SessionActivity::readChanged(sd_bus_message* message) {
    if (sd_bus_message_enter_container(message, 'a', "{sv}") < 0) {
        return false;
    }
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        int value = 0;
        if (sd_bus_message_read(message, "s", &name) < 0) {
            return false;
        }
        const std::string_view property(name);
        if ((property == "Active" || property == "LockedHint") &&
            sd_bus_message_read(message, "v", "b", &value) >= 0) {
            (property == "Active" ? active_ : locked_) = value != 0;
        } else if (sd_bus_message_skip(message, "v") < 0) {
            return false;
        }
        sd_bus_message_exit_container(message);
    }
    sd_bus_message_exit_container(message);
    if (sd_bus_message_enter_container(message, 'a', "s") <= 0) {
        return false;
    }
    bool invalidated = false;
    const char* name = nullptr;
    while (sd_bus_message_read(message, "s", &name) > 0) {
        invalidated = invalidated || std::string_view(name) == "Active" ||
                      std::string_view(name) == "LockedHint";
    }
    return invalidated;
}

void SessionActivity::askAll() {
    sd_bus_slot* slot = nullptr;
    if (!pendingRead_ &&
        sd_bus_call_method_async(bus_.get(), &slot, service_.c_str(), sessionPath_.c_str(),
                                 kPropertiesInterface, "GetAll", &Callbacks::onAllProperties, this,
                                 "s", kSessionInterface) >= 0) {
        pendingRead_.reset(slot);
    }
}

}  // namespace pastiq::wayland
