#include <gtest/gtest.h>
#include <QStyleOptionSlider>

#include "OverlayTestSupport.h"
#include "overlay/QueueScrollBar.h"

namespace pastiq {
namespace {

struct TrackCase {
    const char* name;
    int maximum;
    int pageStep;
    int height;
};

// Where the style draws the handle for the bar's current value.
QRect styledHandle(const QueueScrollBar& bar) {
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.subControls = QStyle::SC_All;
    option.orientation = Qt::Vertical;
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    option.upsideDown = bar.invertedAppearance();
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider,
                                       &bar);
}

class QueueScrollBarTest : public ::testing::TestWithParam<TrackCase> {};

// The bar repaints only where it predicts the handle was and is: a prediction that strays
// from the style would leave a stale handle on the screen.
TEST_P(QueueScrollBarTest, PredictsTheHandleWhereTheStyleDrawsIt) {
    const TrackCase& track = GetParam();
    QueueScrollBar bar;
    bar.resize(8, track.height);
    bar.setRange(0, track.maximum);
    bar.setPageStep(track.pageStep);
    for (const int step : {0, 1, 2, 3, 7, 50, 333, 500, 999, 1000}) {
        bar.setValue(static_cast<int>(static_cast<long long>(track.maximum) * step / 1000));
        EXPECT_EQ(bar.handleRect(), styledHandle(bar)) << "value " << bar.value();
    }
    bar.resize(8, track.height / 2);
    bar.setPageStep(track.pageStep * 2);
    EXPECT_EQ(bar.handleRect(), styledHandle(bar)) << "after a resize and a new page step";
}

INSTANTIATE_TEST_SUITE_P(Tracks, QueueScrollBarTest,
                         ::testing::Values(TrackCase{"short", 120, 283, 283},
                                           TrackCase{"long", 4'000, 283, 283},
                                           TrackCase{"million", 43'999'717, 283, 283},
                                           TrackCase{"tiny", 300, 10, 40}),
                         overlaytest::caseName<TrackCase>);

}  // namespace
}  // namespace pastiq
