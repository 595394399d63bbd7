#include "app/tray/LauncherPlacement.h"

#include <gtest/gtest.h>

namespace pastiq {
namespace {

const QRect kScreen(0, 0, 1280, 800);
const QSize kLauncher(36, 36);
// The overlay where it first shows: 300 × 420, 24 px in from the top right.
const QRect kOverlay(956, 24, 300, 420);

struct PlacementCase {
    const char* name;
    std::optional<QPoint> chosen;
    std::optional<QRect> overlay;
    QRect expected;
};

class LauncherPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(LauncherPlacementTest, StaysOnScreenAndOffTheOverlay) {
    const PlacementCase& test = GetParam();
    const QRect frame = LauncherPlacement::frame(kLauncher, kScreen, test.chosen, test.overlay);
    EXPECT_EQ(frame, test.expected);
    EXPECT_TRUE(kScreen.contains(frame));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LauncherPlacementTest,
    ::testing::Values(
        PlacementCase{"OverlaysCorner", std::nullopt, std::nullopt, {1220, 24, 36, 36}},
        PlacementCase{"WhereTheUserPutIt", QPoint(100, 500), kOverlay, {100, 500, 36, 36}},
        PlacementCase{
            "DraggedOffScreenComesBack", QPoint(1270, -20), std::nullopt, {1244, 0, 36, 36}},
        PlacementCase{"BelowTheOverlay", std::nullopt, kOverlay, {1220, 452, 36, 36}},
        PlacementCase{"AboveAnOverlayAtTheBottom",
                      QPoint(1220, 400),
                      QRect(956, 300, 300, 480),
                      {1220, 256, 36, 36}},
        PlacementCase{
            "LeftOfAFullHeightOverlay", std::nullopt, QRect(956, 0, 300, 800), {912, 0, 36, 36}},
        PlacementCase{
            "AsideOnlyWhenTheyWouldOverlap", QPoint(900, 30), kOverlay, {900, 30, 36, 36}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
}  // namespace pastiq
