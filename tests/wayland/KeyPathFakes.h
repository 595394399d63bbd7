#pragma once

#include <linux/input.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "InputEvents.h"
#include "platform/wayland/GrabPermission.h"
#include "platform/wayland/KeySink.h"
#include "platform/wayland/KeyboardSource.h"
#include "platform/wayland/KeymapSource.h"

namespace pastiq::wayland::testing {

// An owned fd, closed on destruction.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd();
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    [[nodiscard]] int get() const { return fd_; }
    void reset(int fd);

  private:
    int fd_;
};

// What happened at the far side of the key path, in order: strokes sent on, grabs, ungrabs.
class EventLog {
  public:
    void add(std::string entry);
    [[nodiscard]] std::vector<std::string> entries() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
};

// A keyboard whose events the test writes into a pipe, as the kernel would into an evdev fd.
class PipeKeyboard final : public KeyboardDevice {
  public:
    explicit PipeKeyboard(std::shared_ptr<EventLog> log = nullptr, bool real = true);
    // Test thread: one EV_KEY event and its SYN_REPORT.
    void type(std::uint16_t code, std::int32_t value) const;
    void writeEvents(const std::vector<input_event>& events) const;
    // Test thread: a key goes down or up where only the kernel sees it, as on a keyboard a key
    // remapper holds: its events go to the remapper, its key state stays readable.
    void changeUnseen(std::uint16_t code, bool down);
    // Test thread: the device disappears; the next read fails.
    void unplug();
    [[nodiscard]] bool isGrabbed() const { return grabbed_; }
    // The pipe's writing end, for a writer of its own (the benchmark).
    [[nodiscard]] int writeFd() const { return writeEnd_.get(); }
    [[nodiscard]] bool isLedLit(std::uint16_t code) const { return (leds_ >> code & 1U) != 0; }
    void setLed(std::uint16_t code, bool on) override;

    [[nodiscard]] int fd() const override { return readEnd_.get(); }
    bool read(std::vector<input_event>& events) override;
    bool grab() override;
    void ungrab() override;
    [[nodiscard]] std::vector<std::uint16_t> heldKeys() override;
    [[nodiscard]] bool reachesCompositorUngrabbed() const override { return real_; }
    [[nodiscard]] std::string name() const override { return "pipe keyboard"; }

  private:
    Fd readEnd_;
    Fd writeEnd_;
    std::shared_ptr<EventLog> log_;
    bool real_;
    std::atomic<bool> grabbed_{false};
    std::atomic<bool> unplugged_{false};
    std::atomic<std::uint32_t> leds_{0};
    mutable std::mutex mutex_;
    mutable std::set<std::uint16_t> held_;
};

// The virtual keyboard: records each stroke as "+30" / "-30" (code pressed / released).
class RecordingSink final : public KeySink {
  public:
    explicit RecordingSink(std::shared_ptr<EventLog> log);
    // Test thread: the compositor lights or darkens a lock LED on the virtual keyboard.
    void light(std::uint16_t code, bool on);
    [[nodiscard]] int fd() const override { return leds_.get(); }
    bool readLeds() override;
    [[nodiscard]] bool isLedOn(std::uint16_t code) const override;
    // Key thread: runs before each stroke is recorded.
    std::function<void(const KeyStroke&)> onStroke;
    // The device went away: sends fail.
    std::atomic<bool> gone{false};
    bool send(const std::vector<KeyStroke>& strokes) override;
    void releaseAll() override { log_->add("releaseAll"); }

  private:
    std::shared_ptr<EventLog> log_;
    Fd leds_;
    std::atomic<std::uint32_t> lit_{0};
};

// Keyboards handed out once, then whatever the test plugs in.
class ListedKeyboards final : public KeyboardSource {
  public:
    explicit ListedKeyboards(std::vector<std::shared_ptr<KeyboardDevice>> initial);
    // Test thread.
    void plug(std::shared_ptr<KeyboardDevice> device);

    [[nodiscard]] int fd() const override { return wake_.get(); }
    bool dispatch() override;
    Changes takeChanges() override;

  private:
    Fd wake_;
    std::mutex mutex_;
    Changes changes_;
};

// A keymap known from the start.
class FixedKeymap final : public KeymapSource {
  public:
    explicit FixedKeymap(std::optional<std::string> text) : text_(std::move(text)) {}
    [[nodiscard]] int fd() const override { return -1; }
    bool dispatch() override { return true; }
    [[nodiscard]] const std::optional<std::string>& keymap() const override { return text_; }
    [[nodiscard]] std::uint64_t keymapGeneration() const override { return 1; }

  private:
    std::optional<std::string> text_;
};

// The desktop session's lock, switched by the test.
class SwitchedPermission final : public GrabPermission {
  public:
    SwitchedPermission();
    void set(bool allowed);
    [[nodiscard]] int fd() const override { return wake_.get(); }
    void dispatch() override;
    [[nodiscard]] bool allowsGrab() const override { return allowed_; }

  private:
    Fd wake_;
    std::atomic<bool> allowed_{true};
};

// xkb's text of a keymap built from RMLVO names ("us", "fr", "us" + "dvorak", options).
std::string keymapText(const std::string& layout, const std::string& variant = "",
                       const std::string& options = "");

}  // namespace pastiq::wayland::testing
