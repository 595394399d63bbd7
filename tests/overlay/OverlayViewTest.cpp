#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <string>

#include "OverlayTestSupport.h"
#include "model/ClipboardParser.h"
#include "model/PasteSession.h"
#include "overlay/ItemEditor.h"
#include "overlay/ItemRowDelegate.h"
#include "overlay/OverlayHeader.h"
#include "overlay/OverlayStyle.h"
#include "overlay/OverlayView.h"
#include "overlay/PasteOrderControl.h"
#include "overlay/QueueListModel.h"
#include "overlay/QueueListView.h"
#include "overlay/ToggleSwitch.h"

namespace pastiq {
namespace {

using overlaytest::listSession;
using overlaytest::parsedSession;
using overlaytest::rowCentre;
using overlaytest::settle;
using overlaytest::spin;
using overlaytest::textAt;

class OverlayViewTest : public ::testing::Test {
  protected:
    void open(std::shared_ptr<PasteSession> shown) {
        session = std::move(shown);
        updates = session->didChange().subscribe([this](const SessionChange& change) {
            if (change.field == SessionField::items &&
                change.kind == SessionChange::Kind::itemUpdated) {
                ++itemUpdates;
            }
        });
        view = std::make_unique<OverlayView>(
            session, EditingCallbacks{[this] { ++focusTaken; }, [this] { ++focusReturned; }});
        view->resize(300, 420);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        view->scrollToCursorNow();
    }

    QWidget* viewport() const { return view->list()->viewport(); }
    QPoint centreOf(int row) const { return rowCentre(*view->list(), row); }
    bool settled() const { return settle(*view->model()); }
    Uuid idAt(int row) const { return session->items().at(static_cast<std::size_t>(row)).id(); }

    void clickRow(int row) { QTest::mouseClick(viewport(), Qt::LeftButton, {}, centreOf(row)); }
    void doubleClickRow(int row) {
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, centreOf(row));
    }
    void waitPastDoubleClickInterval() { spin(QApplication::doubleClickInterval() + 100); }

    ItemEditor* editor() const { return view->openEditor(); }
    bool isEditing(int row) const { return view->editingId() == idAt(row); }

    // The edit outlived a change of the list: still open on `row` with the typed text, which
    // Return then stores in the item now at `row`.
    void expectEditMovedTo(int row, const std::string& typed) {
        ASSERT_TRUE(isEditing(row));
        ASSERT_NE(editor(), nullptr);
        EXPECT_EQ(editor()->text(), QString::fromStdString(typed));
        QTest::keyClick(editor(), Qt::Key_Return);
        EXPECT_EQ(textAt(*session, row), typed);
    }

    std::shared_ptr<PasteSession> session;
    std::unique_ptr<OverlayView> view;
    Subscription updates;
    int itemUpdates = 0;
    int focusTaken = 0;
    int focusReturned = 0;
};

struct SubtitleCase {
    const char* name;
    std::string copied;
    int cursor;
    QString expected;
};

class SubtitleTest : public OverlayViewTest, public ::testing::WithParamInterface<SubtitleCase> {};

TEST_P(SubtitleTest, NamesTheSourceAndTheProgress) {
    auto shown = parsedSession(GetParam().copied);
    shown->jump(GetParam().cursor);
    open(shown);
    EXPECT_EQ(view->header()->subtitle(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, SubtitleTest,
    ::testing::Values(SubtitleCase{"list", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10", 2, "List · 3 of 10"},
                      SubtitleCase{"grid", "a\tb\tc\td\ne\tf\tg\th\ni\tj\tk\tl", 0,
                                   "3×4 grid · 1 of 12"},
                      SubtitleCase{"empty", "", 0, "List · 0 of 0"}),
    overlaytest::caseName<SubtitleCase>);

TEST_F(OverlayViewTest, SubtitleFollowsTheCursor) {
    open(listSession(10, 2));
    session->advance();
    ASSERT_TRUE(settled());
    EXPECT_EQ(view->header()->subtitle(), "List · 4 of 10");
}

struct SwitchCase {
    const char* name;
    std::string copied;
    bool shown;
};

class PasteOrderPresenceTest : public OverlayViewTest,
                               public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(PasteOrderPresenceTest, ShowsTheSwitchOnlyForGridsOfAtLeastTwoByTwo) {
    open(parsedSession(GetParam().copied));
    EXPECT_EQ(view->header()->pasteOrder()->isVisible(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Sources, PasteOrderPresenceTest,
                         ::testing::Values(SwitchCase{"list", "a\nb\nc", false},
                                           SwitchCase{"oneRowGrid", "a\tb\tc\td\te", false},
                                           SwitchCase{"twoByTwo", "a\tb\nc\td", true}),
                         overlaytest::caseName<SwitchCase>);

TEST_F(OverlayViewTest, PasteOrderSwitchHighlightsTheActiveOrderAndTransposes) {
    open(parsedSession("a\tb\tc\nd\te\tf"));
    PasteOrderControl* order = view->header()->pasteOrder();
    const auto colourOf = [](const QLabel* label) {
        return label->palette().color(QPalette::WindowText);
    };
    EXPECT_TRUE(order->toggle()->isChecked());
    EXPECT_EQ(colourOf(order->rowsLabel()), OverlayStyle::primaryText());
    EXPECT_EQ(colourOf(order->columnsLabel()), OverlayStyle::tertiaryText());
    EXPECT_EQ(order->toolTip(), "Row-major: left to right, then down");

    QTest::mouseClick(order->toggle(), Qt::LeftButton);
    EXPECT_TRUE(session->isTransposed());
    ASSERT_TRUE(settled());
    EXPECT_FALSE(order->toggle()->isChecked());
    EXPECT_EQ(colourOf(order->columnsLabel()), OverlayStyle::primaryText());
    EXPECT_EQ(colourOf(order->rowsLabel()), OverlayStyle::tertiaryText());
    EXPECT_EQ(order->toolTip(), "Column-major: top to bottom, then across");
    EXPECT_EQ(textAt(*session, 1), "d");
    EXPECT_EQ(order->toggle()->accessibleName(), "Paste order");
}

TEST_F(OverlayViewTest, EmptyQueueShowsTheEmptyStateAndTheFooter) {
    open(parsedSession(""));
    EXPECT_TRUE(view->emptyState()->isVisible());
    EXPECT_EQ(view->emptyState()->text(), "Nothing queued — press Ctrl+C to copy a list");
    QStringList texts;
    for (const QLabel* label : view->findChildren<QLabel*>()) {
        texts << label->text();
    }
    EXPECT_TRUE(texts.contains("Ctrl+V paste next · Ctrl+[ back · Ctrl+] forward"));
    EXPECT_TRUE(texts.contains("Ctrl+C copy new list · Ctrl+Alt+C ends"));
    EXPECT_TRUE(texts.contains("click to jump · double-click to edit · right-click to delete"));

    session->load(*ClipboardParser::parse("a\nb"));
    ASSERT_TRUE(settled());
    EXPECT_FALSE(view->emptyState()->isVisible());
    session->clear();
    ASSERT_TRUE(settled());
    EXPECT_TRUE(view->emptyState()->isVisible());
}

TEST_F(OverlayViewTest, SingleClickJumpsOnlyAfterTheDoubleClickInterval) {
    open(listSession(10, 0));
    clickRow(4);
    EXPECT_EQ(session->cursorIndex(), 0) << "a click must wait for a possible second click";
    waitPastDoubleClickInterval();
    EXPECT_EQ(session->cursorIndex(), 4);
    EXPECT_FALSE(view->editingId());
}

TEST_F(OverlayViewTest, ClickJumpsToTheItemsPositionAtTheTimeItActs) {
    open(listSession(10, 0));
    clickRow(4);
    session->deleteItem(idAt(0));  // the clicked item moves up one place meanwhile
    waitPastDoubleClickInterval();
    EXPECT_EQ(session->cursorIndex(), 3);
    EXPECT_EQ(textAt(*session, 3), "Item 5");
}

TEST_F(OverlayViewTest, DoubleClickEditsAndNeverSelects) {
    open(listSession(10, 1));
    doubleClickRow(3);
    waitPastDoubleClickInterval();
    EXPECT_EQ(session->cursorIndex(), 1);
    ASSERT_TRUE(isEditing(3));
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), "Item 4");
    EXPECT_EQ(editor()->cursorPosition(), editor()->text().size());
    EXPECT_FALSE(editor()->hasSelectedText());
    EXPECT_TRUE(editor()->hasFocus());
    EXPECT_EQ(editor()->placeholderText(), "Empty item");
    EXPECT_EQ(focusTaken, 1);
}

TEST_F(OverlayViewTest, NoEditBehindTheCursor) {
    open(listSession(10, 5));
    doubleClickRow(2);
    waitPastDoubleClickInterval();
    EXPECT_FALSE(view->editingId());
    EXPECT_EQ(session->cursorIndex(), 5) << "a double click never acts as a single click";
    view->beginEdit(idAt(4));
    EXPECT_FALSE(view->editingId());
    EXPECT_EQ(focusTaken, 0);

    const auto editEnabled = [this](int row) {
        const auto menu = view->list()->rowMenu(row);
        const QList<QAction*> actions = menu->actions();
        EXPECT_EQ(actions.size(), 2);
        EXPECT_EQ(actions[0]->text(), "Edit");
        EXPECT_EQ(actions[1]->text(), "Delete");
        EXPECT_TRUE(actions[1]->isEnabled());
        return actions[0]->isEnabled();
    };
    EXPECT_FALSE(editEnabled(4));
    EXPECT_TRUE(editEnabled(5));
    EXPECT_TRUE(editEnabled(6));
}

TEST_F(OverlayViewTest, PencilShowsOnEditableRowsOnlyAndOpensTheEditor) {
    open(listSession(10, 2));
    const QAbstractItemModel* model = view->list()->model();
    EXPECT_FALSE(ItemRowDelegate::showsPencil(model->index(1, 0)));
    EXPECT_TRUE(ItemRowDelegate::showsPencil(model->index(2, 0)));
    EXPECT_TRUE(ItemRowDelegate::showsPencil(model->index(3, 0)));

    const QRect slot = view->list()->visualRect(model->index(3, 0));
    QTest::mouseClick(viewport(), Qt::LeftButton, {},
                      view->list()->rowDelegate()->pencilRect(slot).center());
    EXPECT_TRUE(isEditing(3)) << "the pencil opens the editor at once";
    EXPECT_FALSE(ItemRowDelegate::showsPencil(model->index(3, 0)));
    waitPastDoubleClickInterval();
    EXPECT_EQ(session->cursorIndex(), 2);
}

TEST_F(OverlayViewTest, PencilHasItsTooltip) {
    open(listSession(4, 0));
    const QRect slot = view->list()->visualRect(view->list()->model()->index(1, 0));
    const QPoint pencil = view->list()->rowDelegate()->pencilRect(slot).center();
    QHelpEvent onPencil(QEvent::ToolTip, pencil, viewport()->mapToGlobal(pencil));
    QApplication::sendEvent(viewport(), &onPencil);
    EXPECT_EQ(QToolTip::text(), "Edit this item");
    QHelpEvent onText(QEvent::ToolTip, slot.center(), viewport()->mapToGlobal(slot.center()));
    QApplication::sendEvent(viewport(), &onText);
    spin(500);  // the tip fades out
    EXPECT_FALSE(QToolTip::isVisible());
}

struct CommitCase {
    const char* name;
    QString typed;
    Qt::Key key;
};

class CommitKeyTest : public OverlayViewTest, public ::testing::WithParamInterface<CommitCase> {};

TEST_P(CommitKeyTest, StoresTheExactTextAndGivesTheFocusBack) {
    open(listSession(5, 0));
    view->beginEdit(idAt(1));
    ASSERT_NE(editor(), nullptr);
    editor()->clear();
    QTest::keyClicks(editor(), GetParam().typed);
    QTest::keyClick(editor(), GetParam().key);
    EXPECT_EQ(textAt(*session, 1), GetParam().typed.toStdString());
    EXPECT_FALSE(view->editingId());
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(focusReturned, 1);
    spin(50);  // the closed editor's focus change must not store anything again
    EXPECT_EQ(itemUpdates, 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, CommitKeyTest,
                         ::testing::Values(CommitCase{"returnKeepsSpaces", "  spaced out  ",
                                                      Qt::Key_Return},
                                           CommitCase{"enter", "keypad", Qt::Key_Enter},
                                           CommitCase{"returnEmpty", "", Qt::Key_Return},
                                           CommitCase{"tab", "tabbed", Qt::Key_Tab}),
                         overlaytest::caseName<CommitCase>);

TEST_F(OverlayViewTest, EscapeNeverCommits) {
    open(listSession(5, 0));
    view->beginEdit(idAt(2));
    QTest::keyClicks(editor(), " changed");
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_FALSE(view->editingId());
    EXPECT_EQ(focusReturned, 1);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    spin(50);
    EXPECT_EQ(textAt(*session, 2), "Item 3");
    EXPECT_EQ(itemUpdates, 0);
}

TEST_F(OverlayViewTest, LosingTheKeyboardFocusCommits) {
    open(listSession(5, 0));
    view->beginEdit(idAt(2));
    QTest::keyClicks(editor(), "!");
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(textAt(*session, 2), "Item 3!");
    EXPECT_FALSE(view->editingId());
}

TEST_F(OverlayViewTest, ClickOnAnotherRowKeepsTheTypedTextAndJumps) {
    open(listSession(8, 0));
    view->beginEdit(idAt(2));
    QTest::keyClicks(editor(), "+");
    clickRow(5);
    waitPastDoubleClickInterval();
    EXPECT_EQ(textAt(*session, 2), "Item 3+");
    EXPECT_EQ(session->cursorIndex(), 5);
    EXPECT_FALSE(view->editingId());
    EXPECT_EQ(focusReturned, 1);
}

TEST_F(OverlayViewTest, ClickOnTheEditedRowDoesNothing) {
    open(listSession(8, 0));
    view->beginEdit(idAt(3));
    // The editor covers the text; the row's margin around it is still the row.
    const QRect slot = view->list()->visualRect(view->list()->model()->index(3, 0));
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, QPoint(slot.left() + 12, slot.center().y()));
    waitPastDoubleClickInterval();
    EXPECT_TRUE(isEditing(3));
    EXPECT_EQ(session->cursorIndex(), 0);
}

TEST_F(OverlayViewTest, EditingAnotherRowMovesTheEditorAndKeepsTheFirstText) {
    open(listSession(8, 0));
    view->beginEdit(idAt(2));
    QTest::keyClicks(editor(), "A");
    view->beginEdit(idAt(4));
    EXPECT_EQ(textAt(*session, 2), "Item 3A");
    EXPECT_TRUE(isEditing(4));
    EXPECT_EQ(editor()->text(), "Item 5");
    EXPECT_EQ(focusReturned, 0) << "the panel keeps the focus for the next edit";
}

TEST_F(OverlayViewTest, DeletingAnotherRowKeepsTheEdit) {
    open(listSession(8, 0));
    view->beginEdit(idAt(4));
    QTest::keyClicks(editor(), "?");
    view->deleteItem(idAt(1));
    expectEditMovedTo(3, "Item 5?");
}

TEST_F(OverlayViewTest, DeletingTheEditedRowClosesTheEditWithoutWriting) {
    open(listSession(8, 0));
    view->beginEdit(idAt(4));
    QTest::keyClicks(editor(), "?");
    const Uuid deleted = idAt(4);
    view->deleteItem(deleted);
    EXPECT_FALSE(view->editingId());
    EXPECT_FALSE(session->indexOf(deleted));
    EXPECT_EQ(focusReturned, 1);
    EXPECT_EQ(itemUpdates, 0);
}

TEST_F(OverlayViewTest, TransposingWhileEditingKeepsTheEditorAndTheTypedText) {
    open(parsedSession("a\tb\tc\nd\te\tf"));
    view->beginEdit(idAt(2));  // "c"
    QTest::keyClicks(editor(), "3");
    session->setTransposed(true);
    expectEditMovedTo(4, "c3");  // column-major: a d b e c f
}

TEST_F(OverlayViewTest, NewQueueWhileEditingEndsTheEdit) {
    open(listSession(4, 0));
    view->beginEdit(idAt(1));
    session->load(*ClipboardParser::parse("x\ny"));
    EXPECT_FALSE(view->editingId());
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(focusReturned, 1);
    EXPECT_EQ(textAt(*session, 1), "y");
}

TEST_F(OverlayViewTest, ContextMenuEditAndDeleteActOnTheirRow) {
    open(listSession(6, 0));
    view->list()->rowMenu(2)->actions()[0]->trigger();
    EXPECT_TRUE(isEditing(2));
    const Uuid doomed = idAt(4);
    view->list()->rowMenu(4)->actions()[1]->trigger();
    EXPECT_FALSE(session->indexOf(doomed));
    EXPECT_TRUE(isEditing(2));
}

TEST_F(OverlayViewTest, ShownListCentresTheCurrentRowAtOnce) {
    open(listSession(200, 100));
    QueueListView* list = view->list();
    const QRect current = list->visualRect(list->model()->index(100, 0));
    EXPECT_NEAR(current.center().y(), list->viewport()->height() / 2.0, 2);
    EXPECT_FALSE(list->isScrollAnimating());
}

TEST_F(OverlayViewTest, CursorChangeScrollsTheNewRowToTheCentreWithAShortAnimation) {
    open(listSession(200, 0));
    QueueListView* list = view->list();
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    session->jump(120);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(list->isScrollAnimating());
    EXPECT_LT(list->verticalScrollBar()->value(), 100) << "the scroll is animated, not a jump";
    spin(QueueListView::scrollAnimationMs + 150);
    EXPECT_FALSE(list->isScrollAnimating());
    const QRect current = list->visualRect(list->model()->index(120, 0));
    EXPECT_NEAR(current.center().y(), list->viewport()->height() / 2.0, 2);

    // Near the end the list cannot scroll further: the last rows stay where they are.
    session->jump(199);
    ASSERT_TRUE(settled());
    spin(QueueListView::scrollAnimationMs + 150);
    EXPECT_EQ(list->verticalScrollBar()->value(), list->verticalScrollBar()->maximum());
}

// Pastes in quick succession do no Qt work while each Ctrl+V waits: the list scrolls once,
// after the burst, to the row the cursor ended on.
TEST_F(OverlayViewTest, BurstOfPastesScrollsOnceAfterwardsToTheLastRow) {
    open(listSession(200, 0));
    QueueListView* list = view->list();
    QSignalSpy moves(view->model(), &QueueListModel::cursorMoved);
    for (int i = 0; i < 60; ++i) {
        session->advance();
        EXPECT_FALSE(list->isScrollAnimating());
    }
    session->jump(150);
    EXPECT_EQ(list->verticalScrollBar()->value(), 0) << "no scroll inside the notification";
    EXPECT_EQ(view->header()->subtitle(), "List · 1 of 200");
    ASSERT_TRUE(settled());
    EXPECT_EQ(moves.size(), 1);
    EXPECT_EQ(view->header()->subtitle(), "List · 151 of 200");
    EXPECT_TRUE(list->isScrollAnimating());
    spin(QueueListView::scrollAnimationMs + 150);
    const QRect current = list->visualRect(list->model()->index(150, 0));
    EXPECT_NEAR(current.center().y(), list->viewport()->height() / 2.0, 2);
}

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// The rows' pasted state is repainted even when the list has nothing to scroll.
TEST_F(OverlayViewTest, CursorMoveRepaintsTheRowsWithoutScrolling) {
    open(listSession(3, 0));
    spin(50);
    PaintCounter counter(viewport());
    session->jump(2);
    ASSERT_TRUE(settled());
    spin(50);
    EXPECT_EQ(view->list()->verticalScrollBar()->value(), 0);
    EXPECT_GE(counter.paints, 1);
}

TEST_F(OverlayViewTest, AMillionItemsOpenWithUniformRows) {
    open(listSession(1'000'000, 999'999));
    QueueListView* list = view->list();
    const QRect last = list->visualRect(list->model()->index(999'999, 0));
    EXPECT_TRUE(list->viewport()->rect().intersects(last));
    EXPECT_EQ(last.height(), list->visualRect(list->model()->index(0, 0)).height());
}

TEST_F(OverlayViewTest, DetachClosesTheEditWithoutWritingAndReleasesTheSession) {
    open(listSession(4, 0));
    view->beginEdit(idAt(1));
    QTest::keyClicks(editor(), "lost");
    view->detach();
    EXPECT_EQ(textAt(*session, 1), "Item 2");
    EXPECT_EQ(view->model()->session(), nullptr);
    EXPECT_EQ(focusReturned, 1);
}

}  // namespace
}  // namespace pastiq
