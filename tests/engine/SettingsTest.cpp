#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <variant>

#include "engine/ListFinishBehavior.h"
#include "engine/Settings.h"
#include "fakes/MemoryPreferenceStore.h"

namespace pastiq::testing {
namespace {

TEST(ListFinishBehaviorTest, RawValuesRoundTripInDeclarationOrder) {
    const char* expected[] = {"clearClipboard", "returnToFirstItem", "stayOnLastItem"};
    for (std::size_t i = 0; i < kAllListFinishBehaviors.size(); ++i) {
        EXPECT_EQ(storedValue(kAllListFinishBehaviors[i]), expected[i]);
        EXPECT_EQ(listFinishBehaviorFromStored(expected[i]), kAllListFinishBehaviors[i]);
    }
}

TEST(ListFinishBehaviorTest, OnlyExactRawValuesAreRecognised) {
    for (const char* text : {"", "ClearClipboard", "stayonlastitem", "returnToFirst",
                             "stayOnLastItem ", " clearClipboard", "clearClipboardX"}) {
        EXPECT_EQ(listFinishBehaviorFromStored(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(SettingsTest, FreshInstallReadsDefaultsAndWritesNothing) {
    MemoryPreferenceStore store;
    Settings settings(store);
    EXPECT_EQ(settings.listFinishBehavior(), ListFinishBehavior::clearClipboard);
    EXPECT_TRUE(settings.showsCountInTray());
    EXPECT_EQ(store.writeCount(), 0);
    EXPECT_TRUE(store.stored().empty());
    const auto& defaults = store.registeredDefaults();
    EXPECT_EQ(defaults.at("listFinishBehavior"), PreferenceValue{std::string("clearClipboard")});
    EXPECT_EQ(defaults.at("showsCountInMenuBar"), PreferenceValue{true});
}

struct StoredBehaviorCase {
    PreferenceValue stored;
    ListFinishBehavior expected;
    friend void PrintTo(const StoredBehaviorCase& c, std::ostream* out) {
        if (const auto* text = std::get_if<std::string>(&c.stored)) {
            *out << '"' << *text << '"';
        } else {
            *out << (std::get<bool>(c.stored) ? "true" : "false");
        }
    }
};

class StoredBehaviorTest : public ::testing::TestWithParam<StoredBehaviorCase> {};

TEST_P(StoredBehaviorTest, ReadsOnlyExactRawValues) {
    MemoryPreferenceStore store;
    store.preload("listFinishBehavior", GetParam().stored);
    EXPECT_EQ(Settings(store).listFinishBehavior(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredBehaviorTest,
    ::testing::Values(
        StoredBehaviorCase{std::string("returnToFirstItem"), ListFinishBehavior::returnToFirstItem},
        StoredBehaviorCase{std::string("stayOnLastItem"), ListFinishBehavior::stayOnLastItem},
        StoredBehaviorCase{std::string("clearClipboard"), ListFinishBehavior::clearClipboard},
        StoredBehaviorCase{std::string("ReturnToFirstItem"), ListFinishBehavior::clearClipboard},
        StoredBehaviorCase{std::string("stayOnLast"), ListFinishBehavior::clearClipboard},
        StoredBehaviorCase{std::string(""), ListFinishBehavior::clearClipboard},
        StoredBehaviorCase{true, ListFinishBehavior::clearClipboard}));

TEST(SettingsTest, WritingABehaviourStoresItsRawText) {
    MemoryPreferenceStore store;
    Settings settings(store);
    settings.setListFinishBehavior(ListFinishBehavior::stayOnLastItem);
    EXPECT_EQ(settings.listFinishBehavior(), ListFinishBehavior::stayOnLastItem);
    EXPECT_EQ(store.stored().at("listFinishBehavior"),
              PreferenceValue{std::string("stayOnLastItem")});
}

TEST(SettingsTest, TogglingTheCountTwiceStoresTrue) {
    MemoryPreferenceStore store;
    Settings settings(store);
    settings.setShowsCountInTray(!settings.showsCountInTray());
    EXPECT_FALSE(settings.showsCountInTray());
    settings.setShowsCountInTray(!settings.showsCountInTray());
    EXPECT_TRUE(settings.showsCountInTray());
    EXPECT_EQ(store.stored().at("showsCountInMenuBar"), PreferenceValue{true});
}

TEST(SettingsTest, StoredTextConvertsToBoolean) {
    for (const auto& [text, expected] : {std::pair{"false", false},
                                         {"0", false},
                                         {"", false},
                                         {"true", true},
                                         {"YES", true},
                                         {"1", true}}) {
        MemoryPreferenceStore store;
        store.preload("showsCountInMenuBar", std::string(text));
        EXPECT_EQ(Settings(store).showsCountInTray(), expected) << text;
    }
}

TEST(SettingsTest, ReadsAreNeverCached) {
    MemoryPreferenceStore store;
    Settings menu(store);
    Settings engine(store);
    EXPECT_EQ(engine.listFinishBehavior(), ListFinishBehavior::clearClipboard);
    menu.setListFinishBehavior(ListFinishBehavior::returnToFirstItem);
    EXPECT_EQ(engine.listFinishBehavior(), ListFinishBehavior::returnToFirstItem);
    store.writeBool("showsCountInMenuBar", false);
    EXPECT_FALSE(engine.showsCountInTray());
}

TEST(SettingsTest, RegisteringAgainKeepsStoredValues) {
    MemoryPreferenceStore store;
    store.preload("listFinishBehavior", std::string("stayOnLastItem"));
    store.preload("showsCountInMenuBar", false);
    Settings settings(store);
    EXPECT_EQ(settings.listFinishBehavior(), ListFinishBehavior::stayOnLastItem);
    EXPECT_FALSE(settings.showsCountInTray());
}

}  // namespace
}  // namespace pastiq::testing
