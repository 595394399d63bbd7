#include <string>
#include <string_view>
#include <vector>

#include "X11Fixture.h"
#include "platform/x11/KeyTyper.h"
#include "platform/x11/XConnection.h"

namespace pastiq::testing {
namespace {

using x11::KeyTyper;

struct TypedCase {
    const char* name;
    std::vector<std::string_view> held;  // keys the user holds while Pastiq types
    bool typesPaste;                     // Ctrl+V on the spare key, else Tab
    bool wantsControl;                   // whether the typed key must come with Control
};

// What reaches the focused window when Pastiq types with the user's keys held: the key comes
// with exactly the modifiers it needs, and the keys the user holds are down again afterwards.
TEST_F(X11Test, TypedKeysCarryOnlyTheirOwnModifiers) {
    const std::vector<TypedCase> cases = {
        {"Tab, nothing held", {}, false, false},
        {"Tab while Ctrl is held", {"LCTL"}, false, false},
        {"Tab while Shift and Ctrl are held", {"LFSH", "LCTL"}, false, false},
        {"Ctrl+V, nothing held", {}, true, true},
        {"Ctrl+V while Ctrl is held", {"LCTL"}, true, true},
        {"Ctrl+V while Alt is held", {"LALT"}, true, true},
    };
    auto connection = x11::XConnection::open();
    ASSERT_TRUE(connection);
    KeyTyper typer(*connection);
    ASSERT_TRUE(typer.prepare());
    client->reloadKeyNames();
    const xcb_keycode_t control = client->key("LCTL");
    constexpr unsigned kShift = XCB_MOD_MASK_SHIFT;
    constexpr unsigned kControl = XCB_MOD_MASK_CONTROL;
    constexpr unsigned kAlt = XCB_MOD_MASK_1;
    constexpr unsigned kShiftControlAlt = kShift | kControl | kAlt;
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        client->focusWindow();
        for (const auto key : testCase.held) {
            client->press(key);
        }
        client->sync();
        const auto held = typer.holdServer();
        const bool typed = testCase.typesPaste ? typer.typePaste(held, control)
                                               : typer.typeKey(held, AfterPasteKey::tab);
        typer.releaseServer();
        ASSERT_TRUE(typed);
        client->chord({}, "AC02");  // the user's next key, modifiers still held
        const auto presses = client->keyPressesUntilMarker();
        for (auto key = testCase.held.rbegin(); key != testCase.held.rend(); ++key) {
            client->release(*key);
        }
        ASSERT_EQ(presses.size(), 2U);
        const unsigned typedModifiers = presses[0].state & kShiftControlAlt;
        EXPECT_EQ(typedModifiers, testCase.wantsControl ? kControl : 0U);
        if (testCase.typesPaste) {
            EXPECT_NE(presses[0].detail, client->key("AB04")) << "typed on the layout's v key";
        } else {
            EXPECT_EQ(presses[0].detail, client->key("TAB"));
        }
        unsigned heldMask = 0;
        for (const auto key : testCase.held) {
            heldMask |= key == "LCTL" ? kControl : key == "LFSH" ? kShift : kAlt;
        }
        EXPECT_EQ(presses[1].state & kShiftControlAlt, heldMask) << "the user's keys are back";
    }
    typer.release();
}

}  // namespace
}  // namespace pastiq::testing
