#pragma once

#include <linux/input.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/wayland/KeyLoop.h"
#include "platform/wayland/KeyMeaning.h"
#include "platform/wayland/KeyRouter.h"

namespace pastiq::wayland {

class GrabPermission;
class KeyboardDevice;
class KeyboardSource;
class KeymapSource;
class KeySink;

// The keyboards as the key thread holds them: it reads every keyboard all the time (the key
// meaning and the hot key follow every key, grabbed or not), grabs them all while a session
// wants its keys and the desktop session allows it, and routes what it reads through the
// router to the sink. A grab starts only when no key is held, since a key held across it would
// stick; before the keyboards are let go, every key the sink holds is released. Key thread
// only, except where noted.
class KeyboardHub {
  public:
    struct Parts {
        KeyLoop& loop;
        KeySink& sink;
        KeyboardSource& keyboards;
        KeymapSource& keymap;
        GrabPermission* permission = nullptr;  // none: always allowed
    };
    struct Hooks {
        std::function<void(KeyRouter::KeyId, const KeyEvent&)> judge = nullptr;
        std::function<void()> onHotkey = nullptr;
        // The grab ends (asked for or forced): waiting keys are about to be passed on.
        std::function<void()> beforeUngrab = nullptr;
        // A problem worth the log; never carries a key.
        std::function<void(std::string)> warn = nullptr;
        // The virtual keyboard is gone: the keyboards were let go, since nothing could pass
        // their keys on.
        std::function<void()> onGrabLost = nullptr;
    };

    explicit KeyboardHub(const Parts& parts);
    ~KeyboardHub();
    KeyboardHub(const KeyboardHub&) = delete;
    KeyboardHub& operator=(const KeyboardHub&) = delete;

    // Before start().
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    // Watches the sources on the key thread; call once the loop runs.
    void start();
    // Stops watching and lets every keyboard go.
    void stop();

    // Asks for the grab: `answer` gets true once the keyboards are grabbed, false when `bound`
    // passed first (the request is then dropped) or the grab cannot be had.
    void requestGrab(std::chrono::milliseconds bound, std::function<void(bool)> answer);
    // Lets the keyboards go and stops wanting them.
    void releaseGrab();
    [[nodiscard]] std::size_t keyboardCount() const { return keyboards_.size(); }

    KeyRouter& router() { return router_; }
    [[nodiscard]] std::uint16_t copyKey() const { return meaning_.copyKey(); }
    [[nodiscard]] bool isAltHeld() const { return meaning_.modifiers().alt; }
    // Any thread: Ctrl or Alt is held, or the key typing c is down.
    [[nodiscard]] bool isHotkeyHeld() const { return hotkeyHeld_.load(); }

  private:
    struct Keyboard {
        std::shared_ptr<KeyboardDevice> device;
        std::set<std::uint16_t> held;
        bool grabbed = false;
    };

    void watchSource(int fd, std::function<bool()> dispatch, std::function<void()> then);
    std::vector<Keyboard>::iterator findKeyboard(const KeyboardDevice* device);
    void takeKeyboardChanges();
    void addKeyboard(std::shared_ptr<KeyboardDevice> device);
    void removeKeyboard(const KeyboardDevice* device);
    void readKeyboard(const KeyboardDevice* device);
    void routeEvents(Keyboard& keyboard, const std::vector<input_event>& events);
    void followKeymap();
    void followPermission();
    [[nodiscard]] bool mayGrab() const;
    void tryGrab();
    void grabKeyboard(Keyboard& keyboard);
    void lightLeds(Keyboard& keyboard) const;
    void ungrab();
    void answerWaiters(bool grabbed);
    void giveUpWaiting();
    [[nodiscard]] std::string whyNotGrabbed() const;
    void checkSink();
    [[nodiscard]] std::vector<std::uint16_t> heldCodes() const;
    void noteHotkeyHeld();
    void warn(std::string message) const;

    Parts parts_;
    Hooks hooks_;
    KeyMeaning meaning_;
    KeyRouter router_;
    std::vector<Keyboard> keyboards_;
    std::uint64_t keymapGeneration_ = 0;
    bool wanted_ = false;
    bool grabbing_ = false;
    bool ungrabbing_ = false;
    struct Waiter {
        KeyLoop::TimerId timer;
        std::function<void(bool)> answer;
    };
    std::vector<Waiter> waiters_;
    std::atomic<bool> hotkeyHeld_{false};
};

}  // namespace pastiq::wayland
