#include <string>
#include <vector>

#include "EngineHarness.h"

namespace pastiq::testing {
namespace {

const KeyEvent kPaste{KeyPosition::v, {.ctrl = true}};

struct AfterKeyCase {
    const char* name;
    AfterEachPaste choice;
    std::string copied;
    bool columnOrder;
    ListFinishBehavior finish;
    // The key the gate hands over with each Ctrl+V in turn.
    std::vector<AfterPasteKey> keys;
};

class AfterPasteKeyTest : public EngineHarness {
  protected:
    AfterPasteKeyTest() { fakes.keyGrab.usesGate = true; }

    std::vector<AfterPasteKey> decidedKeys(std::size_t presses) {
        std::vector<AfterPasteKey> keys;
        for (std::size_t press = 0; press < presses; ++press) {
            const auto decided = fakes.keyGrab.gate()->decide(kPaste);
            keys.push_back(decided ? decided->afterKey : AfterPasteKey::none);
        }
        return keys;
    }
};

TEST_F(AfterPasteKeyTest, EachItemGetsTheKeyOfItsPlace) {
    using enum AfterPasteKey;
    const std::string grid = "a\tb\tc\nd\te\tf";
    const std::vector<AfterKeyCase> cases = {
        {"nothing chosen",
         AfterEachPaste::nothing,
         grid,
         false,
         ListFinishBehavior::stayOnLastItem,
         {none, none, none}},
        {"tab after list items",
         AfterEachPaste::pressTab,
         "x\ny",
         false,
         ListFinishBehavior::stayOnLastItem,
         {tab, tab, tab}},
        {"return after list items",
         AfterEachPaste::pressReturn,
         "x\ny",
         false,
         ListFinishBehavior::stayOnLastItem,
         {returnKey, returnKey}},
        {"grid in row order",
         AfterEachPaste::spreadsheetRow,
         grid,
         false,
         ListFinishBehavior::stayOnLastItem,
         {tab, tab, returnKey, tab, tab, returnKey, returnKey}},
        {"grid in column order",
         AfterEachPaste::spreadsheetRow,
         grid,
         true,
         ListFinishBehavior::stayOnLastItem,
         {returnKey, returnKey, returnKey, returnKey}},
        {"one-column grid",
         AfterEachPaste::spreadsheetRow,
         "x\ny\nz",
         false,
         ListFinishBehavior::stayOnLastItem,
         {returnKey, returnKey, returnKey}},
        {"row order from the top again",
         AfterEachPaste::spreadsheetRow,
         "a\tb\nc\td",
         false,
         ListFinishBehavior::returnToFirstItem,
         {tab, returnKey, tab, returnKey, tab}},
        {"nothing after the finished list",
         AfterEachPaste::pressTab,
         "x\ny",
         false,
         ListFinishBehavior::clearClipboard,
         {tab, tab, none, none}},
        {"nothing in an empty session",
         AfterEachPaste::pressReturn,
         "",
         false,
         ListFinishBehavior::stayOnLastItem,
         {none, none}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        settings.setAfterEachPaste(testCase.choice);
        setFinishBehavior(testCase.finish);
        startWith(testCase.copied);
        if (testCase.columnOrder) {
            session().setTransposed(true);
        }
        fakes.scheduler.runReady();
        EXPECT_EQ(decidedKeys(testCase.keys.size()), testCase.keys);
        controller->endSession(false);
    }
}

// The tray changes the choice while a session runs: the next paste already follows it.
TEST_F(AfterPasteKeyTest, AChangedChoiceReachesTheRunningSession) {
    startWith("x\ny\nz");
    fakes.scheduler.runReady();
    EXPECT_EQ(decidedKeys(1), std::vector{AfterPasteKey::none});
    settings.setAfterEachPaste(AfterEachPaste::pressReturn);
    controller->settingsChanged();
    fakes.scheduler.runReady();
    EXPECT_EQ(decidedKeys(1), std::vector{AfterPasteKey::returnKey});
}

TEST(AfterEachPasteSettingTest, UnknownStoredValuesActAsNothing) {
    MemoryPreferenceStore store;
    Settings settings{store};
    EXPECT_EQ(settings.afterEachPaste(), AfterEachPaste::nothing);
    for (const char* stored : {"Tab", "tab ", "spreadsheetrow", ""}) {
        store.writeText(Settings::kAfterEachPasteKey, stored);
        EXPECT_EQ(settings.afterEachPaste(), AfterEachPaste::nothing) << stored;
    }
    for (const auto choice : kAllAfterEachPaste) {
        settings.setAfterEachPaste(choice);
        EXPECT_EQ(settings.afterEachPaste(), choice);
    }
}

}  // namespace
}  // namespace pastiq::testing
