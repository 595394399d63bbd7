#include "OverlayTestSupport.h"

#include <QTest>

#include "model/ClipboardParser.h"
#include "model/PasteSession.h"
#include "overlay/QueueListModel.h"
#include "overlay/QueueListView.h"

namespace pastiq::overlaytest {

std::shared_ptr<PasteSession> listSession(int count, int cursor) {
    ParsedClipboard parsed;
    for (int i = 1; i <= count; ++i) {
        parsed.items.emplace_back("Item " + std::to_string(i));
    }
    auto session = std::make_shared<PasteSession>(std::move(parsed));
    if (cursor != 0) {
        session->jump(cursor);
    }
    return session;
}

std::shared_ptr<PasteSession> parsedSession(std::string_view text) {
    auto parsed = ClipboardParser::parse(text);
    return std::make_shared<PasteSession>(parsed ? std::move(*parsed) : ParsedClipboard::empty());
}

std::string textAt(const PasteSession& session, int row) {
    return session.items().at(static_cast<std::size_t>(row)).text();
}

QPoint rowCentre(QueueListView& list, int row) {
    list.doItemsLayout();
    return list.visualRect(list.model()->index(row, 0)).center();
}

void spin(int ms) {
    QTest::qWait(ms);
}

bool settle(const QueueListModel& model) {
    return QTest::qWaitFor([&model] { return !model.isUpdatePending(); }, 2000);
}

}  // namespace pastiq::overlaytest
