#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/wayland/WaylandInputAccess.h"

namespace pastiq::wayland {
namespace {

struct AccessCase {
    const char* name;
    bool processReads, accountListed;
    UinputAccess uinput;
    std::optional<bool> virtualKeyboard, clipboard;
    bool complete;
    // A word each fix's command must hold, in order; "" for a fix that takes no command.
    std::vector<std::string> commands;
};

TEST(WaylandInputAccessTest, SaysWhichPieceIsMissingAndTheCommandThatFixesIt) {
    using enum UinputAccess;
    const std::optional<bool> yes = true;
    const std::optional<bool> no = false;
    const std::optional<bool> unknown;
    // Process reads keyboards, account in the group, uinput, compositor types, compositor sets
    // the clipboard; complete; a word of each fix's command.
    const std::vector<AccessCase> cases{
        {"all there", true, true, Writable, unknown, unknown, true, {}},
        {"not in the group", false, false, Writable, unknown, unknown, false, {"usermod -aG"}},
        {"added, not logged in again", false, true, Writable, unknown, unknown, false, {""}},
        {"uinput closed", true, true, NotWritable, unknown, unknown, false, {"uaccess"}},
        {"no uinput module", true, true, Missing, unknown, unknown, false, {"modprobe uinput"}},
        {"both missing", false, false, NotWritable, unknown, unknown, false, {"usermod", "udev"}},
        {"compositor types instead", true, true, NotWritable, yes, yes, true, {}},
        {"compositor cannot type", true, true, NotWritable, no, yes, false, {"uaccess"}},
        {"compositor keeps the clipboard", true, true, Writable, unknown, no, false, {""}},
    };
    for (const AccessCase& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        WaylandInputAccess access({.processReadsKeyboards = [&] { return testCase.processReads; },
                                   .accountInInputGroup = [&] { return testCase.accountListed; },
                                   .uinput = [&] { return testCase.uinput; }});
        access.setCompositorSupport(testCase.clipboard, testCase.virtualKeyboard);
        EXPECT_EQ(access.hasInputAccess(), testCase.complete);
        const auto fixes = access.report().fixes();
        ASSERT_EQ(fixes.size(), testCase.commands.size());
        for (std::size_t index = 0; index < fixes.size(); ++index) {
            EXPECT_FALSE(fixes[index].problem.empty());
            const std::string& word = testCase.commands[index];
            if (word.empty()) {
                EXPECT_EQ(fixes[index].command, "");
            } else {
                EXPECT_NE(fixes[index].command.find(word), std::string::npos)
                    << fixes[index].command;
            }
        }
    }
}

}  // namespace
}  // namespace pastiq::wayland
