#include <gtest/gtest.h>
#include <QPaintEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <map>
#include <ostream>

#include "OverlayTestSupport.h"
#include "fakes/FakeWindowSystem.h"
#include "model/PasteSession.h"
#include "overlay/OverlayController.h"
#include "overlay/OverlayPanel.h"
#include "overlay/OverlayView.h"
#include "overlay/QueueListModel.h"
#include "overlay/QueueListView.h"

namespace pastiq {
namespace {

using overlaytest::listSession;

// What each watched widget has painted since the last clear.
class PaintRecorder final : public QObject {
  public:
    void watch(QWidget* widget) {
        widget->installEventFilter(this);
        painted_[widget];
    }
    void clear() {
        for (auto& [widget, region] : painted_) {
            region = QRegion();
        }
    }
    [[nodiscard]] QRegion painted(QWidget* widget) const { return painted_.at(widget); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted_[static_cast<QWidget*>(watched)] += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

  private:
    std::map<QWidget*, QRegion> painted_;
};

struct PanelCase {
    const char* name;
    bool compositing;
};

std::ostream& operator<<(std::ostream& out, const PanelCase& panel) {
    return out << panel.name;
}

// The panel on either kind of desktop: the list must paint the same background either way.
class OverlayRepaintTest : public ::testing::TestWithParam<PanelCase> {
  protected:
    void show(int count, int cursor) {
        windows.compositing = GetParam().compositing;
        session = listSession(count, cursor);
        overlay.show(session);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(overlay.panel()));
        // The show's own deferred work and centring are over before anything is recorded.
        overlaytest::spin(QueueListView::scrollAnimationMs + 100);
        recorder.watch(overlay.panel());
        recorder.watch(list()->viewport());
        recorder.watch(list()->verticalScrollBar());
    }

    [[nodiscard]] QueueListView* list() const { return overlay.view()->list(); }
    [[nodiscard]] QRect rowRect(int row) const {
        return list()->visualRect(list()->model()->index(row, 0));
    }
    // The part of the panel the list covers, in the panel's coordinates.
    [[nodiscard]] QRect listArea() const {
        QWidget* viewport = list()->viewport();
        return {viewport->mapTo(overlay.panel(), QPoint(0, 0)), viewport->size()};
    }

    testing::FakeWindowSystem windows;
    OverlayController overlay{windows};
    std::shared_ptr<PasteSession> session;
    PaintRecorder recorder;
};

// Each frame of the centring animation after a paste scrolls the list by a few pixels. In a
// long queue that moves the handle by less than a pixel.
TEST_P(OverlayRepaintTest, AScrollStepPaintsOnlyTheStripComingIntoView) {
    show(1'000'000, 500'000);
    QScrollBar* bar = list()->verticalScrollBar();
    recorder.clear();
    bar->setValue(bar->value() + 3);
    overlaytest::spin(50);

    const QRegion strip = recorder.painted(list()->viewport());
    EXPECT_EQ(strip.boundingRect().height(), 3) << "the rows already shown are moved, not drawn";
    EXPECT_FALSE(recorder.painted(overlay.panel()).intersects(listArea()))
        << "the panel beneath the list is not drawn again";
    EXPECT_TRUE(recorder.painted(bar).isEmpty()) << "the handle did not move a pixel";
}

TEST_P(OverlayRepaintTest, ACursorMoveRepaintsTheRowsItChangedAndNothingElse) {
    show(5, 1);  // every row in view: the move scrolls nothing
    recorder.clear();
    session->advance();
    ASSERT_TRUE(overlaytest::settle(*overlay.view()->model()));
    overlaytest::spin(50);

    EXPECT_EQ(recorder.painted(list()->viewport()).boundingRect(), rowRect(1).united(rowRect(2)));
    EXPECT_FALSE(recorder.painted(overlay.panel()).intersects(listArea()));
}

INSTANTIATE_TEST_SUITE_P(Desktops, OverlayRepaintTest,
                         ::testing::Values(PanelCase{"opaque", false},
                                           PanelCase{"compositing", true}),
                         overlaytest::caseName<PanelCase>);

}  // namespace
}  // namespace pastiq
