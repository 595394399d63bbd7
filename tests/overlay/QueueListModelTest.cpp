#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "OverlayTestSupport.h"
#include "model/ClipboardParser.h"
#include "model/PasteSession.h"
#include "overlay/QueueListModel.h"
#include "overlay/RowTextLayout.h"

namespace pastiq {
namespace {

using overlaytest::listSession;
using overlaytest::parsedSession;
using overlaytest::settle;
using overlaytest::spin;
using RowState = QueueListModel::RowState;

// Every model signal the view reacts to, recorded in order.
struct ModelSignals {
    explicit ModelSignals(QueueListModel& model)
        : reset(&model, &QAbstractItemModel::modelReset),
          removed(&model, &QAbstractItemModel::rowsRemoved),
          changed(&model, &QAbstractItemModel::dataChanged),
          cursor(&model, &QueueListModel::cursorMoved),
          session(&model, &QueueListModel::sessionChanged) {}
    QSignalSpy reset;
    QSignalSpy removed;
    QSignalSpy changed;
    QSignalSpy cursor;
    QSignalSpy session;
};

RowState stateAt(const QueueListModel& model, int row) {
    return model.data(model.index(row), QueueListModel::RowStateRole).value<RowState>();
}

TEST(QueueListModelTest, ReadsRowsFromTheSession) {
    auto session = parsedSession("a\tb\nc\td\n");
    session->jump(1);
    QueueListModel model(session);
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.data(model.index(1), Qt::DisplayRole).toString(), "b");
    EXPECT_EQ(model.data(model.index(2), QueueListModel::CellLabelRole).toString(), "R2C1");
    EXPECT_EQ(stateAt(model, 0), RowState::behind);
    EXPECT_EQ(stateAt(model, 1), RowState::current);
    EXPECT_EQ(stateAt(model, 3), RowState::ahead);
    EXPECT_FALSE(model.isEditable(0));
    EXPECT_TRUE(model.isEditable(1));

    QueueListModel list(listSession(2));
    EXPECT_FALSE(list.data(list.index(0), QueueListModel::CellLabelRole).isValid());
}

// A row shows two lines: a huge item is shown (and so laid out) only in part, cut at a
// character boundary, while the editor still gets all of it.
TEST(QueueListModelTest, RowsShowOnlyTheStartOfAHugeItem) {
    std::string text = "x";
    for (std::size_t i = 0; i < 3 * RowTextLayout::shownBytes / 2; ++i) {
        text += "\xC3\xA9";  // é: the byte limit falls inside a character
    }
    auto session = parsedSession(text + "\nshort\n");
    QueueListModel model(session);
    const QString shown = model.data(model.index(0), Qt::DisplayRole).toString();
    EXPECT_LE(shown.toUtf8().size(), RowTextLayout::shownBytes + 3);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_FALSE(shown.contains(QChar::ReplacementCharacter));
    EXPECT_TRUE(QString::fromStdString(text).startsWith(shown.chopped(1)));
    EXPECT_EQ(model.data(model.index(0), Qt::EditRole).toString().toStdString(), text);
    EXPECT_EQ(model.data(model.index(1), Qt::DisplayRole).toString(), "short");
}

TEST(QueueListModelTest, CursorMoveChangesTheRowsBetweenOldAndNewPositionWithoutReset) {
    auto session = listSession(10, 2);
    QueueListModel model(session);
    ModelSignals spy(model);
    session->jump(6);
    EXPECT_EQ(stateAt(model, 5), RowState::behind) << "rows are read from the session at once";
    EXPECT_EQ(spy.changed.size(), 0) << "announced in the deferred update, not in the paste";
    ASSERT_TRUE(settle(model));
    ASSERT_EQ(spy.changed.size(), 1);
    EXPECT_EQ(spy.changed[0][0].value<QModelIndex>().row(), 2);
    EXPECT_EQ(spy.changed[0][1].value<QModelIndex>().row(), 6);
    ASSERT_EQ(spy.cursor.size(), 1);
    EXPECT_EQ(spy.cursor[0][0].toLongLong(), 2);
    EXPECT_EQ(spy.cursor[0][1].toLongLong(), 6);
    EXPECT_EQ(spy.reset.size(), 0);

    // Storing the same cursor again is no move.
    session->jump(6);
    ASSERT_TRUE(settle(model));
    EXPECT_EQ(spy.cursor.size(), 1);
}

// A burst of pastes and steps is announced once, from where the view last was to where the
// cursor ended; moves that cancel out announce no move at all.
TEST(QueueListModelTest, BurstOfCursorMovesIsOneDeferredUpdate) {
    auto session = listSession(20, 2);
    QueueListModel model(session);
    ModelSignals spy(model);
    for (int i = 0; i < 6; ++i) {
        session->advance();
    }
    session->jump(4);
    session->setFinished(false);
    EXPECT_TRUE(model.isUpdatePending());
    EXPECT_EQ(spy.changed.size() + spy.cursor.size() + spy.session.size(), 0);
    ASSERT_TRUE(settle(model));
    ASSERT_EQ(spy.cursor.size(), 1);
    EXPECT_EQ(spy.cursor[0][0].toLongLong(), 2);
    EXPECT_EQ(spy.cursor[0][1].toLongLong(), 4);
    ASSERT_EQ(spy.changed.size(), 1);
    EXPECT_EQ(spy.changed[0][0].value<QModelIndex>().row(), 2);
    EXPECT_EQ(spy.changed[0][1].value<QModelIndex>().row(), 4);
    EXPECT_EQ(spy.session.size(), 1);

    session->advance();
    session->jump(4);
    ASSERT_TRUE(settle(model));
    EXPECT_EQ(spy.cursor.size(), 1);
    EXPECT_EQ(spy.session.size(), 2);
}

// A held step key keeps moving the cursor faster than the quiet period; the list must still
// follow while the key is held, not only once it is released.
TEST(QueueListModelTest, EndlessBurstStillUpdatesWithinTheLongestDelay) {
    auto session = listSession(200, 0);
    QueueListModel model(session);
    ModelSignals spy(model);
    const auto burst = 2 * CoalescedUpdate::longestDelay;
    const auto step = CoalescedUpdate::quietPeriod / 4;
    for (auto elapsed = step; elapsed <= burst; elapsed += step) {
        session->advance();
        spin(static_cast<int>(step.count()));
    }
    EXPECT_GE(spy.cursor.size(), 1);
    ASSERT_TRUE(settle(model));
    EXPECT_EQ(spy.cursor.last()[1].toLongLong(), session->cursorIndex());
}

// The removed row is signalled around the store; the cursor's shift and the header follow
// at the next turn of the event loop, without waiting for the quiet period.
TEST(QueueListModelTest, RemovedItemIsOneRemovedRowAndUpdatesAtTheNextTurn) {
    auto session = listSession(5, 4);
    QueueListModel model(session);
    ModelSignals spy(model);
    session->deleteItem(session->items()[3].id());
    ASSERT_EQ(spy.removed.size(), 1);
    EXPECT_EQ(spy.removed[0][1].toInt(), 3);
    EXPECT_EQ(spy.removed[0][2].toInt(), 3);
    EXPECT_EQ(spy.reset.size(), 0);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(spy.session.size(), 0);

    QCoreApplication::processEvents();
    EXPECT_FALSE(model.isUpdatePending());
    EXPECT_EQ(spy.session.size(), 1);
    ASSERT_EQ(spy.cursor.size(), 1);
    EXPECT_EQ(spy.cursor[0][0].toLongLong(), 4);
    EXPECT_EQ(spy.cursor[0][1].toLongLong(), 3);
}

TEST(QueueListModelTest, EditedItemIsOneChangedRow) {
    auto session = listSession(5);
    QueueListModel model(session);
    ModelSignals spy(model);
    session->updateText(session->items()[4].id(), "new");
    ASSERT_EQ(spy.changed.size(), 1);
    EXPECT_EQ(spy.changed[0][0].value<QModelIndex>().row(), 4);
    EXPECT_EQ(spy.changed[0][1].value<QModelIndex>().row(), 4);
    EXPECT_EQ(spy.reset.size(), 0);
    EXPECT_EQ(model.data(model.index(4), Qt::DisplayRole).toString(), "new");
}

TEST(QueueListModelTest, OnlyANewQueueOrOrderResetsTheModel) {
    auto session = parsedSession("a\tb\nc\td\n");
    QueueListModel model(session);
    ModelSignals spy(model);
    session->setTransposed(true);
    EXPECT_EQ(spy.reset.size(), 1);
    EXPECT_EQ(model.data(model.index(1), Qt::DisplayRole).toString(), "c");
    session->load(*ClipboardParser::parse("x\ny\nz"));
    EXPECT_EQ(spy.reset.size(), 2);
    EXPECT_EQ(model.rowCount(), 3);
}

TEST(QueueListModelTest, EditingIdMarksItsRowAndFollowsIt) {
    auto session = listSession(4);
    QueueListModel model(session);
    const Uuid edited = session->items()[2].id();
    model.setEditingId(edited);
    EXPECT_TRUE(model.data(model.index(2), QueueListModel::IsEditingRole).toBool());
    session->deleteItem(session->items()[0].id());
    EXPECT_TRUE(model.data(model.index(1), QueueListModel::IsEditingRole).toBool());
    EXPECT_EQ(model.rowOf(edited), 1);
}

TEST(QueueListModelTest, DetachReleasesTheSessionAndStopsListening) {
    auto session = listSession(3);
    std::weak_ptr<PasteSession> watch = session;
    QueueListModel model(session);
    ModelSignals spy(model);
    session->advance();
    model.detach();
    EXPECT_FALSE(model.isUpdatePending());
    spin(2 * static_cast<int>(CoalescedUpdate::quietPeriod.count()));
    EXPECT_EQ(spy.cursor.size() + spy.session.size(), 0);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(session->didChange().subscriberCount(), 0U);
    session.reset();
    EXPECT_TRUE(watch.expired());
}

// Qt's own checker validates every signal against the rows before and after.
TEST(QueueListModelTest, StaysConsistentThroughEveryKindOfChange) {
    auto session = parsedSession("a\tb\tc\nd\te\tf\ng\th\ti\n");
    QueueListModel model(session);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    session->jump(4);
    session->setTransposed(true);
    session->updateText(session->items()[2].id(), "edited");
    for (int i = 0; i < 4; ++i) {
        session->deleteItem(session->items()[static_cast<std::size_t>(i)].id());
    }
    session->advance();
    ASSERT_TRUE(settle(model));
    session->load(*ClipboardParser::parse("1\n2"));
    session->jump(1);
    session->clear();
    ASSERT_TRUE(settle(model));
    EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
}  // namespace pastiq
