#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

#include "app/system/SystemHelpers.h"
#include "app/tray/TrayController.h"
#include "app/windows/AboutWindowController.h"
#include "fakes/FakeEnginePorts.h"
#include "fakes/MemoryPreferenceStore.h"

namespace pastiq {
namespace {

using testing::FakeEnginePorts;
using testing::MemoryPreferenceStore;

class FakeSystemHelpers : public SystemHelpers {
  public:
    void openInputAccessHelp() override { ++helpOpenCount; }
    void showInFileManager() override { ++fileManagerCount; }
    void relaunch() override {}
    [[nodiscard]] AutostartStatus autostartStatus() override { return status; }
    void toggleAutostart() override { ++toggleCount; }

    AutostartStatus status = AutostartStatus::notRegistered;
    int helpOpenCount = 0;
    int fileManagerCount = 0;
    int toggleCount = 0;
};

// One menu row as the user sees it.
struct Row {
    Row(QString title_, bool enabled_ = true, bool checked_ = false, QString shortcut_ = {},
        QString toolTip_ = {})
        : title(std::move(title_)),
          enabled(enabled_),
          checked(checked_),
          shortcut(std::move(shortcut_)),
          toolTip(std::move(toolTip_)) {}
    QString title;
    bool enabled;
    bool checked;
    QString shortcut;
    QString toolTip;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << '"' << row.title.toStdString() << "\" enabled=" << row.enabled
               << " checked=" << row.checked << " shortcut=" << row.shortcut.toStdString()
               << " tip=" << row.toolTip.toStdString();
}

const Row kSeparator{"—"};

std::vector<Row> rowsOf(const QMenu& menu) {
    std::vector<Row> rows;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            rows.push_back(kSeparator);
            continue;
        }
        // A tooltip that merely repeats the title is Qt's default, not one Pastiq set.
        const QString tip = action->toolTip() == action->text() ? QString() : action->toolTip();
        rows.emplace_back(action->text(), action->isEnabled(), action->isChecked(),
                          action->shortcut().toString(), tip);
    }
    return rows;
}

class TrayControllerTest : public ::testing::Test {
  protected:
    TrayControllerTest() {
        ports_.clipboard.simulateCopy(std::nullopt);
        controller_ = SessionController::create(ports_.ports(), settings_);
        tray_ = std::make_unique<TrayController>(controller_, settings_, ports_.inputAccess,
                                                 helpers_, about_);
    }

    std::vector<Row> openMenu() {
        Q_EMIT tray_->menu()->aboutToShow();
        return rowsOf(*tray_->menu());
    }
    QMenu* finishMenu() {
        openMenu();
        return menuRow("After the Last Paste")->menu();
    }
    QAction* menuRow(const QString& title) {
        for (QAction* action : tray_->menu()->actions()) {
            if (action->text() == title) {
                return action;
            }
        }
        ADD_FAILURE() << "no row " << title.toStdString();
        return nullptr;
    }
    void choose(const QString& title) {
        openMenu();
        menuRow(title)->trigger();
    }
    void startSessionOf(int count) {
        std::string text;
        for (int item = 1; item <= count; ++item) {
            text += "item " + std::to_string(item) + "\n";
        }
        controller_->startFromText(text);
    }
    // Lets the delayed refresh of the icon run.
    void settle() {
        QTest::qWait(static_cast<int>((TrayController::kRefreshDelay * 3 / 2).count()));
    }

    FakeEnginePorts ports_;
    MemoryPreferenceStore store_;
    Settings settings_{store_};
    FakeSystemHelpers helpers_;
    AboutWindowController about_{QStringLiteral("X11")};
    std::shared_ptr<SessionController> controller_;
    std::unique_ptr<TrayController> tray_;
};

TEST_F(TrayControllerTest, IdleMenuHasEveryRowInOrder) {
    const std::vector<Row> expected = {
        {"Pastiq is running", false},
        {"Input Access: Granted", false},
        {"Open Input Access Help…"},
        {"Show Pastiq in File Manager"},
        kSeparator,
        {"Start Session", true, false, "Ctrl+Alt+C"},
        {"Copy a list, then start a session", false},
        kSeparator,
        {"After Each Paste"},
        {"After the Last Paste"},
        {"Show Count in Panel", true, true},
        {"Open at Login"},
        kSeparator,
        {"About Pastiq"},
        kSeparator,
        {"Quit Pastiq", true, false, "Ctrl+Q"},
    };
    EXPECT_EQ(openMenu(), expected);
}

TEST_F(TrayControllerTest, FinishBehaviorSubmenuListsTheThreeBehaviours) {
    const std::vector<Row> expected = {
        {"Clear the Clipboard and List", true, true, "", "Empties both, leaving the overlay open"},
        {"Return to the First Item", true, false, "", "Starts the same list over from the top"},
        {"Stay on the Last Item", true, false, "", "Another Ctrl+V pastes the last item again"},
    };
    QMenu* submenu = finishMenu();
    EXPECT_EQ(rowsOf(*submenu), expected);
    std::vector<QString> raw;
    for (const QAction* action : submenu->actions()) {
        raw.push_back(action->data().toString());
    }
    EXPECT_EQ(raw, (std::vector<QString>{"clearClipboard", "returnToFirstItem", "stayOnLastItem"}));
}

TEST_F(TrayControllerTest, MenuRebuildsFromTheCurrentStateOnEveryOpening) {
    // Opening twice must not pile up rows or submenu entries.
    openMenu();
    EXPECT_EQ(openMenu().size(), 16u);
    EXPECT_EQ(finishMenu()->actions().size(), 3);

    ports_.inputAccess.granted = false;
    helpers_.status = AutostartStatus::requiresApproval;
    store_.preload(Settings::kListFinishBehaviorKey, std::string("ReturnToFirstItem"));
    store_.preload(Settings::kShowsCountInTrayKey, false);
    const auto rows = openMenu();
    EXPECT_EQ(rows[1].title, "Input Access: Not Granted");
    EXPECT_EQ(rows[10], (Row{"Show Count in Panel", true, false}));
    EXPECT_EQ(rows[11], (Row{"Open at Login", true, true, "",
                             "Your desktop still needs you to allow Pastiq in Startup "
                             "Applications"}));
    EXPECT_TRUE(finishMenu()->actions().at(0)->isChecked());

    helpers_.status = AutostartStatus::enabled;
    EXPECT_EQ(openMenu()[11], (Row{"Open at Login", true, true}));
    helpers_.status = AutostartStatus::notFound;
    EXPECT_EQ(openMenu()[11], (Row{"Open at Login", true, false}));
}

TEST_F(TrayControllerTest, IconFollowsTheSessionTheCountAndTheStatusMessage) {
    struct Expected {
        TrayIconState::Mark mark;
        QString title;
        QString toolTip;
    };
    const auto check = [this](const Expected& expected, const char* when) {
        const auto& state = tray_->iconState();
        EXPECT_EQ(state.mark, expected.mark) << when;
        EXPECT_EQ(state.title, expected.title) << when;
        EXPECT_EQ(state.toolTip, expected.toolTip) << when;
        EXPECT_EQ(tray_->trayIcon()->toolTip(), expected.toolTip) << when;
    };
    using Mark = TrayIconState::Mark;
    check({Mark::none, "", "Pastiq is running. Click for menu."}, "idle");

    startSessionOf(10);
    controller_->session()->jump(2);
    settle();
    check({Mark::progress, "3 of 10", "3 of 10\nPastiq — session active. Click for menu."},
          "count shown");
    EXPECT_EQ(openMenu()[5].title, "End Session");
    EXPECT_EQ(openMenu()[6], (Row{"Next: 3 of 10", false}));

    choose("Show Count in Panel");
    check({Mark::none, "", "Pastiq — session active. Click for menu."}, "count hidden");
    EXPECT_EQ(store_.stored().at(Settings::kShowsCountInTrayKey), PreferenceValue{false});

    ports_.keyGrab.refusesInstall = true;
    controller_->startFromText("a\nb\n");
    check({Mark::message, "Paste monitor blocked", "Paste monitor blocked"}, "message");
    EXPECT_EQ(openMenu()[6], (Row{"Paste monitor blocked", false}));

    ports_.scheduler.advance(std::chrono::seconds(3));
    check({Mark::none, "", "Pastiq is running. Click for menu."}, "message cleared");
}

TEST_F(TrayControllerTest, SessionChangesReachTheIconAfterTheyAreStored) {
    startSessionOf(10);
    settle();
    EXPECT_EQ(tray_->iconState().title, "1 of 10");
    controller_->pasteNext();
    controller_->pasteNext();
    // The change is announced before it is stored; the refresh waits for the next turn.
    EXPECT_EQ(tray_->iconState().title, "1 of 10");
    settle();
    EXPECT_EQ(tray_->iconState().title, "3 of 10");

    auto first = controller_->session();
    startSessionOf(4);
    settle();
    first->jump(3);  // The old session no longer drives the icon.
    settle();
    EXPECT_EQ(tray_->iconState().title, "1 of 4");
}

TEST_F(TrayControllerTest, CountToggleStoresTheNegationEachTime) {
    choose("Show Count in Panel");
    choose("Show Count in Panel");
    EXPECT_EQ(store_.stored().at(Settings::kShowsCountInTrayKey), PreferenceValue{true});
    EXPECT_TRUE(openMenu()[10].checked);
}

TEST_F(TrayControllerTest, FinishBehaviourEntriesStoreTheirRawValue) {
    EXPECT_EQ(store_.writeCount(), 0);
    finishMenu()->actions().at(2)->trigger();
    EXPECT_EQ(store_.stored().at(Settings::kListFinishBehaviorKey),
              PreferenceValue{std::string("stayOnLastItem")});
    EXPECT_TRUE(finishMenu()->actions().at(2)->isChecked());
    EXPECT_FALSE(finishMenu()->actions().at(0)->isChecked());

    // An entry whose represented object is not a stored value changes nothing.
    for (const QVariant& bogus : {QVariant(QString("StayOnLastItem")), QVariant(2), QVariant()}) {
        QAction* entry = finishMenu()->actions().at(1);
        entry->setData(bogus);
        entry->trigger();
        EXPECT_EQ(settings_.listFinishBehavior(), ListFinishBehavior::stayOnLastItem);
    }
}

// Each entry stores its value and reaches a running session's overlay at once.
TEST_F(TrayControllerTest, AfterEachPasteEntriesStoreTheirValueAndReachTheSession) {
    ports_.clipboard.simulateCopy("a\nb");
    choose("Start Session");
    ports_.scheduler.runReady();
    openMenu();
    QMenu* submenu = menuRow("After Each Paste")->menu();
    ASSERT_NE(submenu, nullptr);
    const std::vector<std::pair<const char*, AfterEachPaste>> entries = {
        {"Nothing", AfterEachPaste::nothing},
        {"Press Tab", AfterEachPaste::pressTab},
        {"Press Return", AfterEachPaste::pressReturn},
        {"Spreadsheet Row", AfterEachPaste::spreadsheetRow},
    };
    ASSERT_EQ(submenu->actions().size(), static_cast<qsizetype>(entries.size()));
    // Last first, so each trigger changes the stored value.
    for (auto index = entries.size(); index-- > 0;) {
        const auto& [title, choice] = entries[index];
        QAction* entry = submenu->actions().at(static_cast<qsizetype>(index));
        EXPECT_EQ(entry->text().toStdString(), title);
        entry->trigger();
        EXPECT_EQ(store_.stored().at(Settings::kAfterEachPasteKey),
                  PreferenceValue{std::string(storedValue(choice))});
        EXPECT_EQ(ports_.overlay.afterEachPaste(), choice) << title;
    }
}

TEST_F(TrayControllerTest, ActionsReachTheirReceivers) {
    ports_.clipboard.simulateCopy("a\nb\nc");
    choose("Start Session");
    ports_.scheduler.runReady();
    ASSERT_TRUE(controller_->session());
    EXPECT_EQ(controller_->session()->items().size(), 3u);
    choose("End Session");
    EXPECT_FALSE(controller_->session());
    EXPECT_EQ(ports_.clipboard.text(), std::nullopt);

    ports_.inputAccess.granted = false;
    choose("Open Input Access Help…");
    EXPECT_EQ(helpers_.helpOpenCount, 1);
    choose("Show Pastiq in File Manager");
    EXPECT_EQ(helpers_.fileManagerCount, 1);
    choose("Open at Login");
    EXPECT_EQ(helpers_.toggleCount, 1);

    choose("About Pastiq");
    choose("About Pastiq");
    ASSERT_NE(about_.window(), nullptr);
    EXPECT_EQ(about_.window()->windowTitle(), "About Pastiq");
}

TEST_F(TrayControllerTest, IconIsLightWithADarkEdgeAndShowsTheProgress) {
    TrayIconPainter painter;
    const auto countPixels = [](const QImage& image, auto predicate) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += predicate(image.pixelColor(x, y)) ? 1 : 0;
            }
        }
        return count;
    };
    const auto isLight = [](const QColor& c) { return c.alpha() > 200 && c.lightness() > 200; };
    const auto isDark = [](const QColor& c) { return c.alpha() > 200 && c.lightness() < 60; };

    const QImage idle = painter.paintAt(32, TrayIconState{}).toImage();
    EXPECT_GT(countPixels(idle, isLight), 20);
    EXPECT_GT(countPixels(idle, isDark), 20);

    TrayIconState progress{TrayIconState::Mark::progress, "3 of 10", ""};
    const QImage counted = painter.paintAt(32, progress).toImage();
    EXPECT_NE(counted, idle);
    TrayIconState other{TrayIconState::Mark::progress, "4 of 10", ""};
    EXPECT_NE(painter.paintAt(32, other).toImage(), counted);
    EXPECT_FALSE(tray_->trayIcon()->icon().isNull());
}

}  // namespace
}  // namespace pastiq
