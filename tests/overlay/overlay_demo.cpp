// Shows the overlay panel for a sample session, for screenshots and end-to-end tests.
//
// overlay_demo [list|grid|empty|editing|million] [--screenshot FILE] [--report]
//
// --screenshot FILE  saves the panel as shown on the screen once it has settled, then exits.
// --report           prints, one line each and flushed: "panel X Y W H" and "row N CX CY"
//                    (global centres of the rows on screen, N from 0) once shown, then
//                    "cursor N", "text N JSON", "removed N" and "active yes|no" as they happen.
#include <QApplication>
#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonValue>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <memory>

#include "model/ClipboardParser.h"
#include "model/PasteSession.h"
#include "overlay/OverlayController.h"
#include "overlay/OverlayPanel.h"
#include "overlay/OverlayView.h"
#include "overlay/QueueListModel.h"
#include "overlay/QueueListView.h"
#include "platform/x11/X11WindowSystem.h"

namespace {

using pastiq::ClipboardParser;
using pastiq::ParsedClipboard;
using pastiq::PasteSession;

void say(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

ParsedClipboard sampleList() {
    return *ClipboardParser::parse(
        "Alice Johnson\nbob@example.com\n"
        "A longer note that needs more than one line of the panel to be read in full, and "
        "then some more words so that it is cut\n"
        "4711\nDelivery address:\nBaker Street 221b\nLondon\nPostcode NW1 6XE\nUnited "
        "Kingdom\n+44 20 7946 0958\nLast line");
}

ParsedClipboard sampleGrid() {
    return *ClipboardParser::parse(
        "Name\tCity\tPhone\tTeam\nAda\tLondon\t555-0101\tBlue\nGrace\tNew York\t555-0102\tRed\n");
}

ParsedClipboard millionItems() {
    ParsedClipboard parsed;
    parsed.items.reserve(1'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
        parsed.items.emplace_back("Item " + std::to_string(i + 1));
    }
    return parsed;
}

std::shared_ptr<PasteSession> sessionFor(const QString& kind) {
    if (kind == QLatin1String("empty")) {
        return std::make_shared<PasteSession>(ParsedClipboard::empty());
    }
    if (kind == QLatin1String("grid")) {
        auto session = std::make_shared<PasteSession>(sampleGrid());
        session->jump(5);
        return session;
    }
    if (kind == QLatin1String("million")) {
        auto session = std::make_shared<PasteSession>(millionItems());
        session->jump(500'000);
        return session;
    }
    auto session = std::make_shared<PasteSession>(sampleList());
    session->jump(2);
    return session;
}

void reportChanges(PasteSession& session, std::vector<pastiq::Subscription>& keep) {
    keep.push_back(session.didChange().subscribe([&session](const pastiq::SessionChange& change) {
        using Kind = pastiq::SessionChange::Kind;
        if (change.field == pastiq::SessionField::cursorIndex) {
            say(QStringLiteral("cursor %1").arg(session.cursorIndex()));
        } else if (change.field == pastiq::SessionField::items &&
                   change.kind == Kind::itemUpdated) {
            const QString text = QString::fromStdString(session.items()[change.index].text());
            const QByteArray json =
                QJsonDocument::fromVariant(QVariantList{text}).toJson(QJsonDocument::Compact);
            say(QStringLiteral("text %1 %2").arg(change.index).arg(QString::fromUtf8(json)));
        } else if (change.field == pastiq::SessionField::items &&
                   change.kind == Kind::itemRemoved) {
            say(QStringLiteral("removed %1").arg(change.index));
        }
    }));
}

void reportLayout(pastiq::OverlayController& overlay) {
    const QRect frame = overlay.panel()->frameGeometry();
    say(QStringLiteral("panel %1 %2 %3 %4")
            .arg(frame.x())
            .arg(frame.y())
            .arg(frame.width())
            .arg(frame.height()));
    const pastiq::QueueListView* list = overlay.view()->list();
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        if (rect.intersects(list->viewport()->rect())) {
            const QPoint centre = list->viewport()->mapToGlobal(rect.center());
            say(QStringLiteral("row %1 %2 %3").arg(row).arg(centre.x()).arg(centre.y()));
        }
    }
}

void saveScreenshot(const pastiq::OverlayController& overlay, const QString& file) {
    QWidget* panel = overlay.panel();
    QPixmap shot;
    // On a real display the screen's pixels prove what the X server shows; offscreen there
    // is no screen content, so the panel renders itself.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        const QRect frame = panel->frameGeometry();
        shot = panel->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    } else {
        shot = panel->grab();
    }
    say(shot.save(file) ? QStringLiteral("saved %1").arg(file)
                        : QStringLiteral("failed %1").arg(file));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("kind"),
                                 QStringLiteral("list|grid|empty|editing|million"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the panel to FILE and exit."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("Print the layout and session changes."));
    parser.addOptions({screenshot, report});
    parser.addHelpOption();
    parser.process(app);
    const QString kind = parser.positionalArguments().value(0, QStringLiteral("list"));

    auto session = sessionFor(kind);
    // The window manager hears from the demo as from Pastiq, through Qt's own connection.
    const auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    pastiq::x11::X11WindowSystem windows(x11 != nullptr ? x11->connection() : nullptr);
    pastiq::OverlayController overlay(windows);
    overlay.setOnClose([&app] {
        say(QStringLiteral("close"));
        app.quit();
    });
    overlay.show(session);
    if (kind == QLatin1String("editing")) {
        overlay.view()->beginEdit(session->currentItem()->id());
    }

    std::vector<pastiq::Subscription> subscriptions;
    if (parser.isSet(report)) {
        reportChanges(*session, subscriptions);
        QObject::connect(&app, &QGuiApplication::focusWindowChanged, &app, [](QWindow* window) {
            say(window ? QStringLiteral("active yes") : QStringLiteral("active no"));
        });
    }
    // Once mapped and painted (and the window manager has placed the panel).
    QTimer::singleShot(400, &app, [&] {
        if (parser.isSet(report)) {
            reportLayout(overlay);
        }
        if (parser.isSet(screenshot)) {
            saveScreenshot(overlay, parser.value(screenshot));
            app.quit();
        }
    });
    return QApplication::exec();
}
