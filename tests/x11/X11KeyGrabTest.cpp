#include <xcb/xinput.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "SwappedKeyPositions.h"
#include "X11Fixture.h"
#include "platform/x11/XReply.h"

namespace pastiq::testing {
namespace {

using namespace std::chrono_literals;

class X11KeyGrabTest : public X11Test {
  protected:
    KeyGrab::Handlers answering(KeyVerdict verdict) {
        return {[this, verdict](const KeyEvent& event) {
                    seen.push_back(event);
                    return verdict;
                },
                {}};
    }

    [[nodiscard]] int pressesOf(const std::vector<xcb_key_press_event_t>& presses,
                                std::string_view key) const {
        return static_cast<int>(std::count_if(presses.begin(), presses.end(), [&](auto& press) {
            return press.detail == client->key(key);
        }));
    }

    // Presses Ctrl+`key` until Pastiq judges it, as it does once its thread has read a new
    // keymap or group; the presses before that reach the window and are drained.
    bool judgedOnceTheGrabsFollow(std::string_view key) {
        for (int attempt = 0; attempt < 40; ++attempt) {
            client->chord({"LCTL"}, key);
            if (main.runUntil([&] { return !seen.empty(); }, 50ms)) {
                return true;
            }
            static_cast<void>(client->keyPressesUntilMarker());
        }
        return false;
    }

    std::vector<KeyEvent> seen;
};

// A layout loaded with setxkbmap, one group locked; the default US layout comes back after.
class LoadedLayout {
  public:
    LoadedLayout(TestClient& client, const std::string& layout, const std::string& variant,
                 std::uint8_t group)
        : client_(client),
          loaded_(runShell("setxkbmap -layout '" + layout + "' -variant '" + variant + "'") == 0) {
        client_.lockGroup(group);
    }
    ~LoadedLayout() {
        client_.lockGroup(0);
        runShell("setxkbmap -layout us -variant ''");
    }
    LoadedLayout(const LoadedLayout&) = delete;
    LoadedLayout& operator=(const LoadedLayout&) = delete;
    [[nodiscard]] bool loaded() const { return loaded_; }

  private:
    TestClient& client_;
    bool loaded_;
};

struct VerdictCase {
    const char* name;
    std::string_view key;
    KeyVerdict verdict;
    KeyPosition position;
};

TEST_F(X11KeyGrabTest, TheVerdictDecidesWhetherTheWindowGetsTheKey) {
    const std::vector<VerdictCase> cases{
        {"Ctrl+V passed on", "AB04", KeyVerdict::passOn, KeyPosition::v},
        {"Ctrl+C passed on", "AB03", KeyVerdict::passOn, KeyPosition::c},
        {"Ctrl+[ consumed", "AD11", KeyVerdict::consume, KeyPosition::leftBracket},
        {"Ctrl+] consumed", "AD12", KeyVerdict::consume, KeyPosition::rightBracket},
        {"Ctrl+V consumed", "AB04", KeyVerdict::consume, KeyPosition::v},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        seen.clear();
        ASSERT_TRUE(platform->ports().keyGrab.install(answering(testCase.verdict)));
        client->chord({"LCTL"}, testCase.key);
        ASSERT_TRUE(main.runUntil([&] { return !seen.empty(); }));
        const auto presses = client->keyPressesUntilMarker();
        EXPECT_EQ(seen.size(), 1U);
        EXPECT_EQ(seen[0].key, testCase.position);
        EXPECT_EQ(seen[0].modifiers, (Modifiers{.ctrl = true}));
        EXPECT_FALSE(seen[0].isRepeat);
        const int expected = testCase.verdict == KeyVerdict::passOn ? 1 : 0;
        ASSERT_EQ(pressesOf(presses, testCase.key), expected);
        if (expected == 1) {
            EXPECT_NE(presses[0].state & XCB_MOD_MASK_CONTROL, 0);
        }
        platform->ports().keyGrab.remove();
    }
}

TEST_F(X11KeyGrabTest, OtherChordsAreNeverGrabbed) {
    const std::vector<std::vector<std::string_view>> chords{
        {"LCTL", "LFSH"}, {"LCTL", "LALT"}, {"LFSH"}, {}};
    ASSERT_TRUE(platform->ports().keyGrab.install(answering(KeyVerdict::consume)));
    for (const auto& modifiers : chords) {
        client->chord(modifiers, "AB04");
        const auto presses = client->keyPressesUntilMarker();
        EXPECT_EQ(pressesOf(presses, "AB04"), 1) << modifiers.size() << " modifiers";
    }
    main.runFor(50ms);
    EXPECT_TRUE(seen.empty());
}

TEST_F(X11KeyGrabTest, LockStatesDoNotHideTheShortcut) {
    ASSERT_TRUE(platform->ports().keyGrab.install(answering(KeyVerdict::consume)));
    for (const std::string_view lock : {"CAPS", "NMLK"}) {
        SCOPED_TRACE(lock);
        seen.clear();
        client->chord({}, lock);  // locks
        client->chord({"LCTL"}, "AD12");
        ASSERT_TRUE(main.runUntil([&] { return !seen.empty(); }));
        EXPECT_EQ(seen[0].modifiers, (Modifiers{.ctrl = true}));
        EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), "AD12"), 0);
        client->chord({}, lock);  // unlocks
    }
}

TEST_F(X11KeyGrabTest, GrabsFollowTheShortcutKeysWhenTheKeymapMovesThem) {
    ASSERT_TRUE(platform->ports().keyGrab.install(answering(KeyVerdict::consume)));
    const xcb_keycode_t formerV = client->key("AB04");
    {
        const SwappedKeyPositions swapped("AB04", "AB05");
        ASSERT_TRUE(swapped.loaded());
        client->reloadKeyNames();
        ASSERT_NE(client->key("AB04"), formerV);
        // The grabs are renewed once Pastiq's thread has read the new keymap.
        ASSERT_TRUE(judgedOnceTheGrabsFollow("AB04"));
        ASSERT_EQ(seen.size(), 1U);
        EXPECT_EQ(seen[0].key, KeyPosition::v);
        // The key that now sits on V's former keycode is B and is no longer grabbed.
        ASSERT_EQ(client->key("AB05"), formerV);
        client->chord({"LCTL"}, "AB05");
        EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), "AB05"), 1);
        main.runFor(50ms);
        EXPECT_EQ(seen.size(), 1U);
    }
    client->reloadKeyNames();
    EXPECT_EQ(client->key("AB04"), formerV);
}

struct LayoutCase {
    const char* layout;
    const char* variant;
    std::uint8_t group;
    // XKB names of the keys typing c and v, and of a key that must be left alone: the QWERTY
    // V position where it types another letter.
    std::string_view c;
    std::string_view v;
    std::string_view other;
};

TEST_F(X11KeyGrabTest, CopyAndPasteAreTheKeysTypingCAndVInTheActiveLayout) {
    const std::vector<LayoutCase> cases{
        {"us", "dvorak", 0, "AD08", "AB09", "AB04"},
        {"us,us", ",dvorak", 1, "AD08", "AB09", "AB04"},
        {"us,ru", "", 1, "AB03", "AB04", "AB05"},
        {"us,ru", "dvorak,", 1, "AD08", "AB09", "AB04"},
        {"de", "", 0, "AB03", "AB04", "AB01"},
    };
    int hotkeyPresses = 0;
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::string(testCase.layout) + "(" + testCase.variant + ")");
        seen.clear();
        const LoadedLayout layout(*client, testCase.layout, testCase.variant, testCase.group);
        ASSERT_TRUE(layout.loaded());
        ASSERT_TRUE(platform->ports().keyGrab.install(answering(KeyVerdict::consume)));
        ASSERT_TRUE(judgedOnceTheGrabsFollow(testCase.v));
        client->chord({"LCTL"}, testCase.c);
        ASSERT_TRUE(main.runUntil([&] { return seen.size() == 2; }));
        EXPECT_EQ(seen[0].key, KeyPosition::v);
        EXPECT_EQ(seen[1].key, KeyPosition::c);
        client->chord({"LCTL"}, testCase.other);
        EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), testCase.other), 1);
        main.runFor(50ms);
        EXPECT_EQ(seen.size(), 2U);
        platform->ports().keyGrab.remove();

        platform->ports().hotkey.registerHotkey([&] { ++hotkeyPresses; });
        client->chord({"LCTL", "LALT"}, testCase.c);
        EXPECT_TRUE(main.runUntil([&] { return hotkeyPresses == 1; }));
        hotkeyPresses = 0;
        platform->ports().hotkey.unregisterHotkey();

        // The poster refuses while it still sees the hot key's Alt down; the release reaches
        // its keyboard state a moment after the hot key's press reached the key thread.
        ASSERT_TRUE(
            main.runUntil([&] { return platform->ports().eventPoster.postCopyKeystroke(); }));
        EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), testCase.c), 1);
    }
}

TEST_F(X11KeyGrabTest, AStalledMainThreadGetsTheKeyPassedOnWithinTheBound) {
    ASSERT_TRUE(platform->ports().keyGrab.install(answering(KeyVerdict::consume)));
    const auto pressed = std::chrono::steady_clock::now();
    client->chord({"LCTL"}, "AB04");
    // The main thread is not run: no verdict can come.
    const auto presses = client->keyPressesUntilMarker();
    const auto waited = std::chrono::steady_clock::now() - pressed;
    EXPECT_EQ(pressesOf(presses, "AB04"), 1);
    EXPECT_GE(waited, 240ms);
    EXPECT_LT(waited, 1000ms);

    // When the main thread runs again the key is not judged at all: the window already got
    // it unchanged, so acting on it would move the queue on for a paste that used nothing.
    ASSERT_TRUE(main.runUntil(
        [&] { return log.contains(LogLevel::error, "Key verdict timed out — key passed on"); }));
    main.runFor(50ms);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), "AB04"), 0);

    // The next Ctrl+V is judged as usual.
    client->chord({"LCTL"}, "AB04");
    ASSERT_TRUE(main.runUntil([&] { return seen.size() == 1; }));
    EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), "AB04"), 0);
}

TEST_F(X11KeyGrabTest, AKeyPassedOnByRemoveIsNotJudgedByTheNextHandlers) {
    ASSERT_TRUE(platform->ports().keyGrab.install(answering(KeyVerdict::consume)));
    client->chord({"LCTL"}, "AB04");
    client->sync();
    // The press waits for its verdict; removing the grab passes it on before it is judged.
    std::this_thread::sleep_for(20ms);
    platform->ports().keyGrab.remove();
    ASSERT_TRUE(platform->ports().keyGrab.install(answering(KeyVerdict::consume)));
    EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), "AB04"), 1);
    main.runFor(50ms);
    EXPECT_TRUE(seen.empty());
}

TEST_F(X11KeyGrabTest, RemoveReleasesEveryGrab) {
    ASSERT_TRUE(platform->ports().keyGrab.install(answering(KeyVerdict::consume)));
    ASSERT_TRUE(platform->ports().keyGrab.install(answering(KeyVerdict::consume)));
    platform->ports().keyGrab.remove();
    for (const std::string_view key : {"AB04", "AB03", "AD11", "AD12"}) {
        client->chord({"LCTL"}, key);
        EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), key), 1) << key;
    }
    main.runFor(50ms);
    EXPECT_TRUE(seen.empty());
}

TEST_F(X11KeyGrabTest, InstallFailsWholeWhenAnotherClientHoldsOneShortcut) {
    // Another program grabs Ctrl+[ first.
    xcb_connection_t* other = client->get();
    const x11::XReply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(other, xcb_input_xi_query_version(other, 2, 2), nullptr));
    const auto root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    const std::uint32_t mask = XCB_INPUT_XI_EVENT_MASK_KEY_PRESS;
    const std::uint32_t modifiers = XCB_MOD_MASK_CONTROL;
    const x11::XReply<xcb_input_xi_passive_grab_device_reply_t> grab(
        xcb_input_xi_passive_grab_device_reply(
            other,
            xcb_input_xi_passive_grab_device(
                other, XCB_CURRENT_TIME, root, XCB_NONE, client->key("AD11"),
                XCB_INPUT_DEVICE_ALL_MASTER, 1, 1, XCB_INPUT_GRAB_TYPE_KEYCODE,
                XCB_INPUT_GRAB_MODE_22_ASYNC, XCB_INPUT_GRAB_MODE_22_ASYNC, 0, &mask, &modifiers),
            nullptr));
    ASSERT_NE(grab, nullptr);

    EXPECT_FALSE(platform->ports().keyGrab.install(answering(KeyVerdict::consume)));
    // Nothing of the failed install stays grabbed.
    client->chord({"LCTL"}, "AB04");
    EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), "AB04"), 1);
    main.runFor(50ms);
    EXPECT_TRUE(seen.empty());
    xcb_input_xi_passive_ungrab_device(other, root, client->key("AD11"),
                                       XCB_INPUT_DEVICE_ALL_MASTER, 1, XCB_INPUT_GRAB_TYPE_KEYCODE,
                                       &modifiers);
    client->sync();
}

TEST_F(X11KeyGrabTest, TheHotkeyReachesPastiqAndNeverTheWindow) {
    int pressed = 0;
    platform->ports().hotkey.registerHotkey([&] { ++pressed; });
    client->chord({"LCTL", "LALT"}, "AB03");
    ASSERT_TRUE(main.runUntil([&] { return pressed == 1; }));
    EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), "AB03"), 0);
    // A key typed right after the hot key is not swallowed.
    client->chord({}, "AB04");
    EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), "AB04"), 1);

    platform->ports().hotkey.unregisterHotkey();
    client->chord({"LCTL", "LALT"}, "AB03");
    EXPECT_EQ(pressesOf(client->keyPressesUntilMarker(), "AB03"), 1);
    main.runFor(50ms);
    EXPECT_EQ(pressed, 1);
}

}  // namespace
}  // namespace pastiq::testing
