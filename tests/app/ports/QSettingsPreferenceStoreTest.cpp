#include "app/ports/QSettingsPreferenceStore.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "engine/Settings.h"

namespace pastiq {
namespace {

class QSettingsPreferenceStoreTest : public ::testing::Test {
  protected:
    [[nodiscard]] QString path() const { return dir_.filePath("pastiq/pastiq.conf"); }
    [[nodiscard]] QString fileContents() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir dir_;
};

TEST_F(QSettingsPreferenceStoreTest, RegisteredDefaultsAnswerReadsButAreNeverWritten) {
    {
        QSettingsPreferenceStore store(path());
        Settings settings(store);
        EXPECT_EQ(settings.listFinishBehavior(), ListFinishBehavior::clearClipboard);
        EXPECT_TRUE(settings.showsCountInTray());
        EXPECT_EQ(store.readText("listFinishBehavior"), "clearClipboard");
        // A boolean default has no text value.
        EXPECT_EQ(store.readText("showsCountInMenuBar"), std::nullopt);
    }
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(QSettingsPreferenceStoreTest, WritesPersistAcrossStoresAndOnlyTheWrittenKey) {
    {
        QSettingsPreferenceStore store(path());
        Settings settings(store);
        settings.setListFinishBehavior(ListFinishBehavior::stayOnLastItem);
    }
    EXPECT_TRUE(fileContents().contains("listFinishBehavior=stayOnLastItem"));
    EXPECT_FALSE(fileContents().contains("showsCountInMenuBar"));

    QSettingsPreferenceStore reopened(path());
    Settings settings(reopened);
    EXPECT_EQ(settings.listFinishBehavior(), ListFinishBehavior::stayOnLastItem);
}

TEST_F(QSettingsPreferenceStoreTest, ToggledTwiceStoresTrueRatherThanFallingBackToTheDefault) {
    QSettingsPreferenceStore store(path());
    Settings settings(store);
    settings.setShowsCountInTray(!settings.showsCountInTray());
    settings.setShowsCountInTray(!settings.showsCountInTray());
    EXPECT_TRUE(settings.showsCountInTray());
    EXPECT_TRUE(fileContents().contains("showsCountInMenuBar=true"));
}

TEST_F(QSettingsPreferenceStoreTest, StoredValueWinsOverTheDefaultAndEditsByOthersAreSeen) {
    QSettingsPreferenceStore store(path());
    store.registerDefaults({{"flag", true}, {"mode", std::string("a")}});
    store.writeBool("flag", false);
    EXPECT_FALSE(store.readBool("flag"));

    // The user edits the file while Pastiq runs. Reads never touch the disk (they happen while
    // a key waits); the edit is loaded from the event loop.
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General]\nflag=false\nmode=b\n");
    file.close();
    EXPECT_EQ(store.readText("mode"), "a");
    EXPECT_TRUE(QTest::qWaitFor([&] { return store.readText("mode") == "b"; }, 5000));
}

TEST_F(QSettingsPreferenceStoreTest, MissingKeysReadAsNothingAndFalse) {
    QSettingsPreferenceStore store(path());
    EXPECT_EQ(store.readText("absent"), std::nullopt);
    EXPECT_FALSE(store.readBool("absent"));
}

TEST_F(QSettingsPreferenceStoreTest, StoredTextConvertsToABooleanLikeUserDefaults) {
    QSettingsPreferenceStore store(path());
    store.writeText("flag", "YES");
    EXPECT_TRUE(store.readBool("flag"));
    store.writeText("flag", "no");
    EXPECT_FALSE(store.readBool("flag"));
}

struct BoolCase {
    const char* text;
    bool expected;
};

class TextAsBoolTest : public ::testing::TestWithParam<BoolCase> {};

TEST_P(TextAsBoolTest, Converts) {
    EXPECT_EQ(QSettingsPreferenceStore::textAsBool(GetParam().text), GetParam().expected)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, TextAsBoolTest,
                         ::testing::Values(BoolCase{"true", true}, BoolCase{"TRUE", true},
                                           BoolCase{"yes", true}, BoolCase{"Y", true},
                                           BoolCase{"1", true}, BoolCase{"42", true},
                                           BoolCase{"  +007", true}, BoolCase{"-1", true},
                                           BoolCase{"false", false}, BoolCase{"no", false},
                                           BoolCase{"0", false}, BoolCase{"000", false},
                                           BoolCase{"", false}, BoolCase{"   ", false},
                                           BoolCase{"on", false}, BoolCase{"maybe", false}));

}  // namespace
}  // namespace pastiq
