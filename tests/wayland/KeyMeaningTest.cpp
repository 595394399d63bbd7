#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

#include <vector>

#include "KeyPathFakes.h"
#include "platform/wayland/KeyMeaning.h"

namespace pastiq::wayland {
namespace {

using testing::keymapText;

struct MeaningCase {
    const char* name;
    const char* layout;
    const char* variant;
    const char* options;
    std::vector<std::uint16_t> held;  // pressed before the key, in order
    std::uint16_t code;
    KeyPosition position;
    Modifiers modifiers;
};

// Applications take Ctrl+V by the letter the key types in the layout they were given, and the
// modifiers as xkb works them out; Pastiq must read the same key the same way.
TEST(KeyMeaningTest, ReadsKeysAsApplicationsDo) {
    using P = KeyPosition;
    const std::vector<MeaningCase> cases = {
        {"qwerty v", "us", "", "", {KEY_LEFTCTRL}, KEY_V, P::v, {.ctrl = true}},
        {"qwerty c", "us", "", "", {KEY_RIGHTCTRL}, KEY_C, P::c, {.ctrl = true}},
        {"azerty keeps v", "fr", "", "", {KEY_LEFTCTRL}, KEY_V, P::v, {.ctrl = true}},
        {"dvorak v sits on the period key", "us", "dvorak", "", {}, KEY_DOT, P::v, {}},
        {"dvorak c sits on the i key", "us", "dvorak", "", {}, KEY_I, P::c, {}},
        {"dvorak's qwerty v is another letter", "us", "dvorak", "", {}, KEY_V, P::other, {}},
        {"brackets stay where they are", "us", "dvorak", "", {}, KEY_LEFTBRACE, P::leftBracket, {}},
        {"right bracket", "fr", "", "", {}, KEY_RIGHTBRACE, P::rightBracket, {}},
        {"cyrillic group pastes with the latin group's v",
         "ru,us",
         ",dvorak",
         "",
         {},
         KEY_DOT,
         P::v,
         {}},
        {"caps as ctrl is ctrl",
         "us",
         "",
         "ctrl:nocaps",
         {KEY_CAPSLOCK},
         KEY_V,
         P::v,
         {.ctrl = true}},
        {"caps lock is no modifier Pastiq reports", "us", "", "", {KEY_CAPSLOCK}, KEY_V, P::v, {}},
        {"ctrl and caps swapped: left ctrl is caps",
         "us",
         "",
         "ctrl:swapcaps",
         {KEY_LEFTCTRL},
         KEY_V,
         P::v,
         {}},
        {"shift alt super",
         "us",
         "",
         "",
         {KEY_LEFTSHIFT, KEY_LEFTALT, KEY_LEFTMETA},
         KEY_A,
         P::other,
         {.shift = true, .alt = true, .super = true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeyMeaning meaning;
        ASSERT_TRUE(meaning.setKeymap(keymapText(c.layout, c.variant, c.options), {}));
        for (const auto code : c.held) {
            meaning.update(code, true);
        }
        const KeyEvent event = meaning.pressOf(c.code);
        EXPECT_EQ(event.key, c.position);
        EXPECT_EQ(event.modifiers, c.modifiers);
    }
}

TEST(KeyMeaningTest, ReleasedModifiersStopCounting) {
    KeyMeaning meaning;
    ASSERT_TRUE(meaning.setKeymap(keymapText("us"), {}));
    meaning.update(KEY_LEFTCTRL, true);
    meaning.update(KEY_LEFTCTRL, false);
    EXPECT_EQ(meaning.pressOf(KEY_V).modifiers, Modifiers{});
}

// A layout switch while Ctrl is held: the new keymap must still see Ctrl, and its own V.
TEST(KeyMeaningTest, ANewKeymapKeepsHeldKeysAndMovesTheLetters) {
    KeyMeaning meaning;
    ASSERT_TRUE(meaning.setKeymap(keymapText("us"), {}));
    meaning.update(KEY_LEFTCTRL, true);
    ASSERT_TRUE(meaning.setKeymap(keymapText("us", "dvorak"), {KEY_LEFTCTRL}));
    const KeyEvent event = meaning.pressOf(KEY_DOT);
    EXPECT_EQ(event.key, KeyPosition::v);
    EXPECT_TRUE(event.modifiers.ctrl);
    EXPECT_EQ(meaning.copyKey(), KEY_I);
}

TEST(KeyMeaningTest, TextThatDoesNotCompileKeepsThePreviousKeymap) {
    KeyMeaning meaning;
    EXPECT_FALSE(meaning.setKeymap("xkb_keymap { nonsense", {}));
    EXPECT_FALSE(meaning.hasKeymap());
    ASSERT_TRUE(meaning.setKeymap(keymapText("us", "dvorak"), {}));
    EXPECT_FALSE(meaning.setKeymap("", {}));
    EXPECT_EQ(meaning.pressOf(KEY_DOT).key, KeyPosition::v);
}

}  // namespace
}  // namespace pastiq::wayland
