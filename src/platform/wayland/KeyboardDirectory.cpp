#include "platform/wayland/KeyboardDirectory.h"

#include <libudev.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "platform/wayland/EvdevKeyboard.h"
#include "platform/wayland/ScriptedKeyboard.h"

namespace pastiq::wayland {
namespace {

constexpr std::string_view kEventNodePrefix = "/dev/input/event";

// The event node of a device udev calls a keyboard; empty for anything else.
std::string keyboardNode(udev_device* device) {
    const char* isKeyboard = udev_device_get_property_value(device, "ID_INPUT_KEYBOARD");
    const char* node = udev_device_get_devnode(device);
    if (isKeyboard == nullptr || std::string_view(isKeyboard) != "1" || node == nullptr ||
        !std::string_view(node).starts_with(kEventNodePrefix)) {
        return {};
    }
    return node;
}

}  // namespace

std::unique_ptr<KeyboardDirectory> KeyboardDirectory::open(const EnvironmentLookup& environment) {
    return std::make_unique<KeyboardDirectory>(environment(kTestKeyboardVariable).value_or(""));
}

KeyboardDirectory::KeyboardDirectory(std::string scriptedPath)
    : scriptedPath_(std::move(scriptedPath)) {
    if (!isScripted()) {
        follow();
    }
}

void KeyboardDirectory::UdevUnref::operator()(udev* context) const {
    udev_unref(context);
}

void KeyboardDirectory::UdevUnref::operator()(udev_monitor* monitor) const {
    udev_monitor_unref(monitor);
}

KeyboardDirectory::~KeyboardDirectory() = default;

// The monitor starts before the keyboards are listed, so one plugged in between is not
// missed; one seen both ways is opened once.
void KeyboardDirectory::follow() {
    udev_.reset(udev_new());
    if (!udev_) {
        return;
    }
    monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), "udev"));
    if (monitor_ &&
        (udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "input", nullptr) < 0 ||
         udev_monitor_enable_receiving(monitor_.get()) < 0)) {
        monitor_.reset();
    }
}

int KeyboardDirectory::fd() const {
    return monitor_ ? udev_monitor_get_fd(monitor_.get()) : -1;
}

// The monitor's socket lives as long as Pastiq does, so the directory never goes away.
bool KeyboardDirectory::dispatch() {
    while (udev_device* device = monitor_ ? udev_monitor_receive_device(monitor_.get()) : nullptr) {
        take(device);
        udev_device_unref(device);
    }
    return true;
}

KeyboardSource::Changes KeyboardDirectory::takeChanges() {
    if (!listed_) {
        listed_ = true;
        listPresent();
    }
    return std::exchange(pending_, {});
}

void KeyboardDirectory::listPresent() {
    if (isScripted()) {
        if (std::shared_ptr<KeyboardDevice> keyboard = ScriptedKeyboard::open(scriptedPath_)) {
            opened_.emplace(scriptedPath_, keyboard);
            pending_.added.push_back(std::move(keyboard));
        }
        return;
    }
    if (!udev_) {
        return;
    }
    udev_enumerate* listing = udev_enumerate_new(udev_.get());
    udev_enumerate_add_match_subsystem(listing, "input");
    udev_enumerate_add_match_property(listing, "ID_INPUT_KEYBOARD", "1");
    udev_enumerate_scan_devices(listing);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(listing)) {
        udev_device* device =
            udev_device_new_from_syspath(udev_.get(), udev_list_entry_get_name(entry));
        if (device != nullptr) {
            if (const std::string node = keyboardNode(device); !node.empty()) {
                openKeyboard(node);
            }
            udev_device_unref(device);
        }
    }
    udev_enumerate_unref(listing);
}

void KeyboardDirectory::take(udev_device* device) {
    const char* action = udev_device_get_action(device);
    const std::string node = keyboardNode(device);
    if (action == nullptr || node.empty()) {
        return;
    }
    if (std::string_view(action) == "remove") {
        forget(node);
    } else if (listed_ &&
               (std::string_view(action) == "add" || std::string_view(action) == "change")) {
        // A change can be the permission udev grants once the user's session owns the seat.
        // Before the first listing, the listing finds the keyboard.
        openKeyboard(node);
    }
}

void KeyboardDirectory::openKeyboard(const std::string& path) {
    if (opened_.contains(path)) {
        return;
    }
    EvdevOpening opening = EvdevKeyboard::open(path);
    if (opening.error == EACCES || opening.error == EPERM) {
        unreadable_.insert(path);
        return;
    }
    unreadable_.erase(path);
    if (opening.keyboard) {
        std::shared_ptr<KeyboardDevice> keyboard = std::move(opening.keyboard);
        opened_.emplace(path, keyboard);
        pending_.added.push_back(std::move(keyboard));
    }
}

// A keyboard removed before anyone took it is simply never handed out.
void KeyboardDirectory::forget(const std::string& path) {
    unreadable_.erase(path);
    const auto found = opened_.find(path);
    if (found == opened_.end()) {
        return;
    }
    auto& added = pending_.added;
    if (const auto waiting = std::ranges::find(added, found->second); waiting != added.end()) {
        added.erase(waiting);
    } else {
        pending_.removed.push_back(found->second);
    }
    opened_.erase(found);
}

}  // namespace pastiq::wayland
