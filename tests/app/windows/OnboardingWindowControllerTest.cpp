#include "app/windows/OnboardingWindowController.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "fakes/FakeInputAccess.h"
#include "fakes/RecordingLog.h"

namespace pastiq {
namespace {

using namespace pastiq::testing;

class RecordingSystemHelpers : public SystemHelpers {
  public:
    void openInputAccessHelp() override { calls.emplace_back("help"); }
    void showInFileManager() override { calls.emplace_back("show"); }
    void relaunch() override { calls.emplace_back("relaunch"); }
    AutostartStatus autostartStatus() override { return AutostartStatus::notRegistered; }
    void toggleAutostart() override { calls.emplace_back("login"); }
    std::vector<std::string> calls;
};

class OnboardingWindowControllerTest : public ::testing::Test {
  protected:
    OnboardingWindowControllerTest() { access_.granted = false; }

    QPushButton* button(const QString& text) {
        for (auto* candidate : controller_.window()->findChildren<QPushButton*>()) {
            if (candidate->text() == text) {
                return candidate;
            }
        }
        return nullptr;
    }

    FakeInputAccess access_;
    RecordingSystemHelpers helpers_;
    RecordingLog log_;
    OnboardingWindowController controller_{access_, helpers_, log_};
};

TEST_F(OnboardingWindowControllerTest, SkipsTheWindowWhenAccessIsAlreadyThere) {
    access_.granted = true;
    controller_.show();
    EXPECT_EQ(controller_.window(), nullptr);
    EXPECT_FALSE(controller_.isVisible());
    EXPECT_EQ(log_.messages(), std::vector<std::string>{"Skipping onboarding — already trusted"});
}

TEST_F(OnboardingWindowControllerTest, ShowsTheEnablePastiqWindowWithTheLinuxTexts) {
    controller_.show();
    QDialog* window = controller_.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(controller_.isVisible());
    EXPECT_TRUE(controller_.isPolling());
    EXPECT_EQ(window->windowTitle(), "Enable Pastiq");
    EXPECT_EQ(window->size(), QSize(520, 440));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QStringList texts;
    for (auto* label : window->findChildren<QLabel*>()) {
        texts << label->text();
    }
    EXPECT_TRUE(texts.contains("Pastiq needs input access"));
    EXPECT_TRUE(texts.contains("1. Click Open Input Access Help"));
    EXPECT_TRUE(texts.contains("2. Log out and back in to an X11 session"));
    EXPECT_FALSE(texts.join(' ').contains("Accessibility"));
    ASSERT_NE(button("Show App in File Manager"), nullptr);
    ASSERT_NE(button("Restart Pastiq"), nullptr);
    EXPECT_TRUE(button("Open Input Access Help")->isDefault());
}

TEST_F(OnboardingWindowControllerTest, ListsTheMissingPiecesWithCommandsToCopy) {
    access_.missing = {{"Not in the input group.", "sudo usermod -aG input $USER"},
                       {"No data-control on this desktop.", ""}};
    controller_.show();
    QStringList texts;
    for (auto* label : controller_.window()->findChildren<QLabel*>()) {
        texts << label->text();
    }
    EXPECT_TRUE(texts.contains("Not in the input group."));
    EXPECT_TRUE(texts.contains("No data-control on this desktop."));
    EXPECT_TRUE(texts.contains("1. Run each command above in a terminal"));
    EXPECT_FALSE(texts.join(' ').contains("X11"));
    const auto* command = controller_.window()->findChild<QLabel*>("fixCommand");
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->text(), "sudo usermod -aG input $USER");
    EXPECT_TRUE(command->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
}

// The tray may come and go while the window is open, or before it is first made.
TEST_F(OnboardingWindowControllerTest, SaysWherePastiqIsWithAndWithoutATray) {
    const auto texts = [this] {
        QStringList all;
        for (auto* label : controller_.window()->findChildren<QLabel*>()) {
            all << label->text();
        }
        return all.join(' ');
    };
    controller_.setTrayAvailable(false);
    controller_.show();
    EXPECT_TRUE(texts().contains("button at the top right of the screen"));
    EXPECT_FALSE(texts().contains("in the panel"));
    controller_.setTrayAvailable(true);
    EXPECT_TRUE(texts().contains("Look for “Pastiq” in the panel"));
    EXPECT_FALSE(texts().contains("top right"));
}

TEST_F(OnboardingWindowControllerTest, ShowingTwiceKeepsOneWindowAndOneTimerAndCentresAgain) {
    controller_.show();
    QDialog* first = controller_.window();
    first->move(0, 0);
    controller_.show();
    EXPECT_EQ(controller_.window(), first);
    EXPECT_EQ(controller_.findChildren<QTimer*>().size(), 1);
    EXPECT_TRUE(controller_.isPolling());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(first->pos(), QPoint(screen.center().x() - 260, screen.center().y() - 220));
}

TEST_F(OnboardingWindowControllerTest, ClosesWithinAPollIntervalOnceAccessArrives) {
    controller_.show();
    access_.granted = true;
    QTRY_VERIFY_WITH_TIMEOUT(!controller_.window()->isVisible(), 1500);
    EXPECT_FALSE(controller_.isVisible());
    EXPECT_FALSE(controller_.isPolling());
    EXPECT_EQ(log_.count("Input access granted — closing onboarding"), 1);
}

TEST_F(OnboardingWindowControllerTest, CloseIfTrustedWaitsForAccess) {
    controller_.show();
    controller_.closeIfTrusted();
    EXPECT_TRUE(controller_.window()->isVisible());
    access_.granted = true;
    controller_.closeIfTrusted();
    EXPECT_FALSE(controller_.window()->isVisible());
}

TEST_F(OnboardingWindowControllerTest, ClosingByHandStopsPollingAndALaterShowRestartsIt) {
    int finished = 0;
    controller_.onFinished = [&] { ++finished; };
    controller_.show();
    controller_.window()->close();
    EXPECT_FALSE(controller_.isVisible());
    EXPECT_FALSE(controller_.isPolling());
    EXPECT_EQ(finished, 1);
    controller_.show();
    EXPECT_TRUE(controller_.window()->isVisible());
    EXPECT_TRUE(controller_.isPolling());
}

TEST_F(OnboardingWindowControllerTest, ReturnOpensTheHelp) {
    controller_.show();
    QTest::keyClick(controller_.window(), Qt::Key_Return);
    EXPECT_EQ(helpers_.calls, std::vector<std::string>{"help"});
}

TEST_F(OnboardingWindowControllerTest, ButtonsReachTheirHelpers) {
    controller_.show();
    button("Show App in File Manager")->click();
    button("Restart Pastiq")->click();
    EXPECT_EQ(helpers_.calls, (std::vector<std::string>{"show", "relaunch"}));
}

}  // namespace
}  // namespace pastiq
