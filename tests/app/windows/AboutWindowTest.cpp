#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/windows/AboutView.h"
#include "app/windows/AboutWindowController.h"
#include "app/windows/AppInfo.h"

namespace pastiq {
namespace {

TEST(AppInfo, FallsBackOnlyWhereAValueIsMissing) {
    struct Case {
        std::optional<QString> version, build, copyright;
        QString versionLine, copyrightLine;
    };
    const QString builtIn = "© 2026 The Pastiq developers";
    const std::vector<Case> cases = {
        {"2.3", "41", "© 2030 Someone", "Version 2.3 (41)", "© 2030 Someone"},
        {std::nullopt, std::nullopt, std::nullopt, "Version 1.0 (1)", builtIn},
        {"", "", "", "Version  ()", builtIn},
    };
    for (const auto& testCase : cases) {
        const auto info = AppInfo::from(testCase.version, testCase.build, testCase.copyright);
        EXPECT_EQ(info.versionLine(), testCase.versionLine);
        EXPECT_EQ(info.copyright, testCase.copyrightLine);
    }
    auto info = AppInfo::fromBuild();
    EXPECT_EQ(info.websiteTitle(), "pastiq.github.io");
    EXPECT_EQ(info.websiteUrl.scheme(), "https");
    info.websiteUrl = QUrl("mailto:someone");
    EXPECT_EQ(info.websiteTitle(), "Website");
}

TEST(AboutView, ShowsTheRowsOfTheApplicationInformation) {
    auto info = AppInfo::from("2.3", "41", std::nullopt);
    info.backend = "wayland";
    AboutView view(info);
    const auto text = [&](const char* name) { return view.findChild<QLabel*>(name)->text(); };
    EXPECT_EQ(text("nameLabel"), "Pastiq");
    EXPECT_EQ(text("versionLabel"), "Version 2.3 (41)");
    EXPECT_EQ(text("backendLabel"), "Running on Wayland");
    EXPECT_EQ(text("copyrightLabel"), "© 2026 The Pastiq developers");
    EXPECT_TRUE(text("websiteLink").contains(">pastiq.github.io</a>"));
    EXPECT_TRUE(text("websiteLink").contains("href=\"https://pastiq.github.io/\""));
    EXPECT_FALSE(view.findChild<QLabel*>("iconLabel")->pixmap().isNull());
    EXPECT_EQ(view.width(), AboutView::kWidth);
}

TEST(AboutWindowController, ReusesOneWindowAndCentresItOnEveryShow) {
    AboutWindowController about("x11");
    about.show();
    QWidget* window = about.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(AboutWindowController::kWidth, AboutWindowController::kHeight));
    EXPECT_TRUE(window->isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const auto isCentred = [&] {
        // The frame is known only once the window is on screen, so allow its margins.
        const QPoint offset = window->frameGeometry().center() - screen.center();
        return std::abs(offset.x()) <= 3 && std::abs(offset.y()) <= 3;
    };
    EXPECT_TRUE(isCentred());

    window->move(window->pos() + QPoint(150, 90));
    window->close();
    EXPECT_FALSE(isCentred());
    about.show();
    EXPECT_EQ(about.window(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(isCentred());
}

}  // namespace
}  // namespace pastiq
