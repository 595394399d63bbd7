#include <chrono>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "X11Fixture.h"

namespace pastiq::testing {
namespace {

using namespace std::chrono_literals;

using X11ProbesTest = X11Test;

TEST_F(X11ProbesTest, HotkeyHeldFollowsTheServer) {
    struct Case {
        std::string_view key;
        bool counts;
    };
    // AB03 is the hot key's C: with Ctrl and Alt already up it still holds the copy back.
    for (const Case& testCase : std::vector<Case>{
             {"LCTL", true}, {"RCTL", true}, {"LALT", true}, {"AB03", true}, {"LFSH", false}}) {
        SCOPED_TRACE(testCase.key);
        client->press(testCase.key);
        EXPECT_TRUE(main.runUntil(
            [&] { return platform->ports().modifiers.isHotkeyHeld() == testCase.counts; }, 1000ms));
        client->release(testCase.key);
        EXPECT_TRUE(
            main.runUntil([&] { return !platform->ports().modifiers.isHotkeyHeld(); }, 1000ms));
    }
}

TEST_F(X11ProbesTest, TheCopyKeystrokeReachesTheFocusedWindow) {
    ASSERT_TRUE(platform->ports().eventPoster.postCopyKeystroke());
    const auto presses = client->keyPressesUntilMarker();
    ASSERT_EQ(presses.size(), 1U);
    EXPECT_EQ(presses[0].detail, client->key("AB03"));
    EXPECT_NE(presses[0].state & XCB_MOD_MASK_CONTROL, 0);
}

TEST_F(X11ProbesTest, TheCopyKeystrokeIsRefusedWhenPastiqWouldCatchIt) {
    ASSERT_TRUE(platform->ports().keyGrab.install(
        {[](const KeyEvent&) { return KeyVerdict::passOn; }, {}}));
    EXPECT_FALSE(platform->ports().eventPoster.postCopyKeystroke());
    platform->ports().keyGrab.remove();

    client->press("LALT");
    ASSERT_TRUE(main.runUntil([&] { return platform->ports().modifiers.isHotkeyHeld(); }));
    EXPECT_FALSE(platform->ports().eventPoster.postCopyKeystroke());
    client->release("LALT");
    EXPECT_TRUE(client->keyPressesUntilMarker().empty());
}

TEST_F(X11ProbesTest, OwnApplicationIsActiveWhenItsWindowHasTheFocus) {
    // The test's window belongs to this very process.
    EXPECT_TRUE(platform->ports().focus.isOwnApplicationActive());
    client->focus(XCB_INPUT_FOCUS_POINTER_ROOT);
    EXPECT_FALSE(platform->ports().focus.isOwnApplicationActive());
}

TEST_F(X11ProbesTest, InputAccessNeedsAnX11Session) {
    struct Case {
        const char* variable;
        const char* value;
        bool trusted;
    };
    for (const auto& [variable, value, trusted] :
         std::vector<Case>{{"XDG_SESSION_TYPE", "x11", true},
                           {"XDG_SESSION_TYPE", "wayland", false},
                           {"WAYLAND_DISPLAY", "wayland-0", false},
                           {"WAYLAND_DISPLAY", "", true}}) {
        setenv(variable, value, 1);
        EXPECT_EQ(platform->ports().inputAccess.hasInputAccess(), trusted)
            << variable << "=" << value;
        unsetenv(variable);
    }
}

TEST_F(X11ProbesTest, SelectionIsNotKnownEmptyWithoutAnAccessibilityBus) {
    EXPECT_FALSE(platform->ports().selection.selectionIsEmpty());
}

}  // namespace
}  // namespace pastiq::testing
