#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <vector>

#include "OverlayTestSupport.h"
#include "fakes/FakeWindowSystem.h"
#include "model/PasteSession.h"
#include "overlay/ItemEditor.h"
#include "overlay/OverlayController.h"
#include "overlay/OverlayPanel.h"
#include "overlay/OverlayView.h"
#include "overlay/PanelCloseButton.h"

namespace pastiq {
namespace {

using overlaytest::listSession;

TEST(OverlayControllerTest, ShowsAFloatingPanelThatDoesNotTakeFocusAtTheDefaultFrame) {
    testing::FakeWindowSystem windows;
    OverlayController overlay(windows);
    overlay.show(listSession(3));
    OverlayPanel* panel = overlay.panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowTitle(), "Pastiq");
    const Qt::WindowFlags flags = panel->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Tool));
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_FALSE(panel->acceptsFocus());
    EXPECT_FALSE(panel->isActiveWindow());
    EXPECT_EQ(panel->frameGeometry(), OverlayController::defaultFrame(
                                          QGuiApplication::primaryScreen()->availableGeometry()));
    EXPECT_EQ(windows.prepared, std::vector<WindowSystem::WindowId>{panel->winId()})
        << "the window manager's hints are set once, before the panel is mapped";
}

TEST(OverlayControllerTest, RemembersTheFrameOnCloseAndBuildsFreshContentOnShow) {
    testing::FakeWindowSystem windows;
    OverlayController overlay(windows);
    auto first = listSession(5);
    overlay.show(first);
    OverlayPanel* panel = overlay.panel();
    const QPointer<OverlayView> firstView = overlay.view();
    firstView->beginEdit(first->items()[2].id());
    panel->setGeometry(40, 60, 360, 500);
    QTest::qWait(20);
    const QRect moved = panel->frameGeometry();

    overlay.close();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(overlay.savedFrame(), moved);
    EXPECT_EQ(first->items()[2].text(), "Item 3") << "closing never writes an open edit";

    overlay.show(listSession(2));
    EXPECT_EQ(overlay.panel(), panel) << "the panel is reused";
    EXPECT_EQ(panel->frameGeometry(), moved);
    EXPECT_NE(overlay.view(), firstView.data());
    EXPECT_FALSE(overlay.view()->editingId());
    QTest::qWait(20);
    EXPECT_TRUE(firstView.isNull()) << "the old content is destroyed";
}

TEST(OverlayControllerTest, ASecondShowWithoutCloseReturnsToTheDefaultFrame) {
    testing::FakeWindowSystem windows;
    OverlayController overlay(windows);
    overlay.show(listSession(2));
    overlay.panel()->setGeometry(10, 10, 320, 300);
    overlay.show(listSession(3));
    EXPECT_EQ(overlay.panel()->frameGeometry(), OverlayController::defaultFrameOnPrimaryScreen());
}

TEST(OverlayControllerTest, CloseButtonAsksToEndTheSessionButDoesNotHideThePanel) {
    testing::FakeWindowSystem windows;
    OverlayController overlay(windows);
    overlay.show(listSession(2));
    QTest::mouseClick(overlay.panel()->closeButton(), Qt::LeftButton);  // no onClose yet
    EXPECT_TRUE(overlay.panel()->isVisible());
    int closeRequests = 0;
    overlay.setOnClose([&] { ++closeRequests; });
    QTest::mouseClick(overlay.panel()->closeButton(), Qt::LeftButton);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_TRUE(overlay.panel()->isVisible());
    // The application closing every window as it quits is not vetoed.
    EXPECT_TRUE(overlay.panel()->close());
    EXPECT_EQ(closeRequests, 1);
}

TEST(OverlayControllerTest, PanelAcceptsTheFocusOnlyWhileEditingAndHandsItBack) {
    testing::FakeWindowSystem windows;
    windows.active = 42;
    OverlayController overlay(windows);
    auto session = listSession(4);
    overlay.show(session);
    OverlayPanel* panel = overlay.panel();
    overlay.view()->beginEdit(session->items()[1].id());
    EXPECT_TRUE(panel->acceptsFocus());
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
    ItemEditor* editor = overlay.view()->openEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->hasFocus());
    QTest::keyClicks(editor, "!");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(session->items()[1].text(), "Item 2!");
    EXPECT_FALSE(panel->acceptsFocus());
    EXPECT_TRUE(panel->windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(windows.activated, std::vector<WindowSystem::WindowId>{42})
        << "the keyboard goes back to the window that had it before the edit";
}

// A refused reload says so on the open panel; a notice given while the panel was being rebuilt
// is on the new content too, and taking it away hides the line.
TEST(OverlayControllerTest, ANoticeShowsOnThePanelUntilTakenAway) {
    testing::FakeWindowSystem windows;
    OverlayController overlay(windows);
    overlay.showNotice(std::string("Copy too large to queue"));
    overlay.show(listSession(2));
    ASSERT_NE(overlay.view(), nullptr);
    EXPECT_TRUE(overlay.view()->notice()->isVisible());
    EXPECT_EQ(overlay.view()->notice()->text(), "Copy too large to queue");
    overlay.showNotice(std::nullopt);
    EXPECT_FALSE(overlay.view()->notice()->isVisible());
}

// The footer names the key after each paste, on content built later too, and says nothing of
// it when no key follows.
TEST(OverlayControllerTest, TheFooterNamesTheKeyAfterEachPaste) {
    testing::FakeWindowSystem windows;
    OverlayController overlay(windows);
    overlay.showAfterEachPaste(AfterEachPaste::spreadsheetRow);
    overlay.show(listSession(2));
    ASSERT_NE(overlay.view(), nullptr);
    EXPECT_TRUE(overlay.view()->afterPasteHint()->isVisible());
    EXPECT_EQ(overlay.view()->afterPasteHint()->text(),
              "Tab after each cell · Return after each row");
    overlay.showAfterEachPaste(AfterEachPaste::pressTab);
    EXPECT_EQ(overlay.view()->afterPasteHint()->text(), "Tab pressed after each paste");
    overlay.showAfterEachPaste(AfterEachPaste::nothing);
    EXPECT_FALSE(overlay.view()->afterPasteHint()->isVisible());
}

TEST(OverlayControllerTest, CloseBeforeShowAndEndingSessionsAreHarmless) {
    testing::FakeWindowSystem windows;
    OverlayController overlay(windows);
    overlay.close();
    EXPECT_EQ(overlay.panel(), nullptr);
    EXPECT_FALSE(overlay.savedFrame());
    auto session = listSession(3);
    std::weak_ptr<PasteSession> watch = session;
    overlay.show(std::move(session));
    overlay.close();
    overlay.close();
    QTest::qWait(20);
    EXPECT_TRUE(watch.expired()) << "a hidden panel holds no session";
}

}  // namespace
}  // namespace pastiq
