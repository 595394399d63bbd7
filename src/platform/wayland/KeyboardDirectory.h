#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/wayland/KeyboardSource.h"
#include "platform/wayland/SessionType.h"

struct udev;
struct udev_device;
struct udev_monitor;

namespace pastiq::wayland {

// Finds the keyboards to hold: those udev knows now, then those plugged in or removed while
// Pastiq runs. When PASTIQ_TEST_KEYBOARD is set (end-to-end tests), it offers only the scripted
// keyboard on the FIFO it names and never touches a real keyboard. Key thread only, once open.
class KeyboardDirectory final : public KeyboardSource {
  public:
    static constexpr const char* kTestKeyboardVariable = "PASTIQ_TEST_KEYBOARD";

    [[nodiscard]] static std::unique_ptr<KeyboardDirectory> open(
        const EnvironmentLookup& environment);
    // Follows udev when `scriptedPath` is empty; else offers only the FIFO it names.
    explicit KeyboardDirectory(std::string scriptedPath);
    ~KeyboardDirectory() override;

    [[nodiscard]] int fd() const override;
    bool dispatch() override;
    Changes takeChanges() override;

    // The keyboards Pastiq was not allowed to read, for the input access report.
    [[nodiscard]] const std::set<std::string>& unreadable() const { return unreadable_; }
    [[nodiscard]] bool isScripted() const { return !scriptedPath_.empty(); }

  private:
    void follow();
    void listPresent();
    void take(udev_device* device);
    void openKeyboard(const std::string& path);
    void forget(const std::string& path);

    std::string scriptedPath_;
    struct UdevUnref {
        void operator()(udev* context) const;
        void operator()(udev_monitor* monitor) const;
    };

    std::unique_ptr<udev, UdevUnref> udev_;
    std::unique_ptr<udev_monitor, UdevUnref> monitor_;
    bool listed_ = false;
    std::map<std::string, std::shared_ptr<KeyboardDevice>> opened_;
    std::set<std::string> unreadable_;
    Changes pending_;
};

}  // namespace pastiq::wayland
