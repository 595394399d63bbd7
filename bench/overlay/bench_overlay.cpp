// Times the overlay with a million-item queue against baselines measured in the same run:
//
// - show: OverlayController::show until the panel has painted once, for 1,000,000 items
//   against 10 items (goal: within 300 ms);
// - frame: one scroll step and a synchronous repaint of the list, against a plain QListView
//   of the same size over a QStringListModel (goal: within 8 ms);
// - memory: resident memory the shown overlay adds per item, against what the session
//   itself costs per item;
// - paste notification: what a paste's cursor move costs inside the session's notification
//   while the overlay shows the million items (the user's Ctrl+V waits for it), against the
//   same move on a session nobody observes (goal: a few microseconds);
// - CPU per paste: the main thread's processor time for everything a Ctrl+V decided on the key
//   thread sets off there (taking the paste in, the gate state, the overlay's rows, scrolling
//   and animation frames, the tray icon and texts, the status feed), a million items against
//   100 (goal: under 0.5 ms).
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <unistd.h>
#include <QApplication>
#include <QEventLoop>
#include <QListView>
#include <QScrollBar>
#include <QStringListModel>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "PasteRig.h"
#include "fakes/FakeWindowSystem.h"
#include "model/PasteSession.h"
#include "overlay/OverlayController.h"
#include "overlay/OverlayPanel.h"
#include "overlay/OverlayView.h"
#include "overlay/QueueListModel.h"
#include "overlay/QueueListView.h"

namespace {

using Clock = std::chrono::steady_clock;
using pastiq::PasteSession;

constexpr int million = 1'000'000;
constexpr int frames = 300;

double millisecondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

std::shared_ptr<PasteSession> sessionOf(int count) {
    pastiq::ParsedClipboard parsed;
    parsed.items.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        parsed.items.emplace_back("Item " + std::to_string(i + 1));
    }
    auto session = std::make_shared<PasteSession>(std::move(parsed));
    session->jump(count / 2);
    return session;
}

// Shows the panel and paints its first frame: the window must be exposed before anything
// is painted, so the events that expose it are part of the time.
void showAndPaint(pastiq::OverlayController& overlay,
                  const std::shared_ptr<PasteSession>& session) {
    overlay.show(session);
    while (!overlay.panel()->windowHandle()->isExposed()) {
        QApplication::processEvents();
    }
    overlay.panel()->repaint();
}

// A fresh controller each time: the panel's creation is part of a first show.
double showOnce(const std::shared_ptr<PasteSession>& session) {
    pastiq::testing::FakeWindowSystem windows;
    pastiq::OverlayController overlay(windows);
    const double ms = millisecondsOf([&] { showAndPaint(overlay, session); });
    overlay.close();
    QApplication::processEvents();
    return ms;
}

double medianShow(const std::shared_ptr<PasteSession>& session) {
    constexpr int runCount = 7;
    std::vector<double> runs;
    runs.reserve(runCount);
    for (int i = 0; i < runCount; ++i) {
        runs.push_back(showOnce(session));
    }
    return median(runs);
}

// Average time of one scroll step (a row and a half, as a wheel notch moves) and repaint.
double frameTime(QAbstractItemView& list) {
    QScrollBar* bar = list.verticalScrollBar();
    const int step = std::max(1, list.visualRect(list.model()->index(0, 0)).height() * 3 / 2);
    return millisecondsOf([&] {
               for (int frame = 0; frame < frames; ++frame) {
                   bar->setValue(bar->value() + step);
                   list.viewport()->repaint();
               }
           }) /
           frames;
}

double threadCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Pastes spaced as a user's are, so that whatever is deferred (rows, scrolling, the centring
// animation's frames, the tray icon, the status line) runs between them.
constexpr int pastes = 41;
constexpr int spacingMs = 250;

void idleBetweenPastes() {
    // Waits in the event loop without spinning, so idle time costs no processor time.
    QEventLoop idle;
    QTimer::singleShot(spacingMs, &idle, &QEventLoop::quit);
    idle.exec();
}

// Median time of a paste's cursor move itself, inside the session's notification.
double notificationMicroseconds(PasteSession& session) {
    std::vector<double> notifications;
    for (int paste = 0; paste < pastes; ++paste) {
        notifications.push_back(millisecondsOf([&] { session.advance(); }) * 1000);
        idleBetweenPastes();
    }
    return median(notifications);
}

// The main thread's processor time per paste, everything the paste caused included.
double cpuMillisecondsPerPaste(int itemCount) {
    pastiq::PasteRig rig(itemCount);
    idleBetweenPastes();  // the show's own deferred work is not a paste's
    const std::int64_t before = rig.session().cursorIndex();
    const double cpuBefore = threadCpuMilliseconds();
    for (int paste = 0; paste < pastes; ++paste) {
        rig.pasteFromKeyThread();
        idleBetweenPastes();
    }
    const double cpu = (threadCpuMilliseconds() - cpuBefore) / pastes;
    if (rig.session().cursorIndex() - before != pastes) {
        std::fprintf(stderr, "the rig took in %lld of %d pastes\n",
                     static_cast<long long>(rig.session().cursorIndex() - before), pastes);
        std::abort();
    }
    return cpu;
}

void report(const char* what, double measured, double baseline, const char* unit,
            const char* goal) {
    std::printf("%-34s %10.3f %s   baseline %10.3f %s   ratio %8.2f   %s\n", what, measured, unit,
                baseline, unit, baseline > 0 ? measured / baseline : 0.0, goal);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    const long beforeSession = residentBytes();
    const auto big = sessionOf(million);
    const long sessionBytes = residentBytes() - beforeSession;
    const auto small = sessionOf(10);
    showOnce(small);  // warms fonts, styles and the icon cache for both measurements

    const double showSmall = medianShow(small);
    const double showBig = medianShow(big);
    report("show (1,000,000 vs 10 items)", showBig, showSmall, "ms ", "goal < 300 ms");

    pastiq::testing::FakeWindowSystem windows;
    pastiq::OverlayController overlay(windows);
    const long beforeShow = residentBytes();
    showAndPaint(overlay, big);
    const long overlayBytes = residentBytes() - beforeShow;
    pastiq::QueueListView* list = overlay.view()->list();
    list->verticalScrollBar()->setValue(0);
    const double frameBig = frameTime(*list);
    const QSize listSize = list->size();  // the list is rebuilt by the next show
    const double notificationBig = notificationMicroseconds(*big);
    const double notificationUnobserved = notificationMicroseconds(*sessionOf(million));
    overlay.close();

    QStringList plainRows;
    for (int i = 0; i < 10'000; ++i) {
        plainRows << QStringLiteral("Item %1").arg(i + 1);
    }
    QStringListModel plainModel(plainRows);
    QListView plain;
    plain.setModel(&plainModel);
    plain.setUniformItemSizes(true);
    plain.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    plain.resize(listSize);
    plain.show();
    QApplication::processEvents();
    const double framePlain = frameTime(plain);
    report("frame while scrolling", frameBig, framePlain, "ms ", "goal < 8 ms");

    report("paste notification (overlay vs none)", notificationBig, notificationUnobserved, "us ",
           "goal: a few us");
    const double cpuBig = cpuMillisecondsPerPaste(million);
    const double cpuSmall = cpuMillisecondsPerPaste(100);
    report("CPU per paste (1,000,000 vs 100)", cpuBig, cpuSmall, "ms ",
           "goal < 0.5 ms, ratio near 1");
    report("memory per item (overlay vs session)", static_cast<double>(overlayBytes) / million,
           static_cast<double>(sessionBytes) / million, "B  ", "overlay adds nothing per item");
    return 0;
}
