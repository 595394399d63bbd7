// The paste session's operations: cursor movement, paste order, edits and deletions, and the
// exact notifications each one sends.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/ClipboardParser.h"
#include "model/PasteSession.h"
#include "support/ModelInvariants.h"
#include "support/SessionEventRecorder.h"

namespace pastiq {
namespace {

using Texts = std::vector<std::string>;
using Events = std::vector<std::string>;

std::unique_ptr<PasteSession> sessionOf(std::string_view text) {
    auto parsed = ClipboardParser::parse(text);
    return std::make_unique<PasteSession>(parsed ? std::move(*parsed) : ParsedClipboard::empty());
}

Texts textsOf(const PasteSession& session) {
    Texts texts;
    for (const QueueItem& item : session.items()) {
        texts.push_back(item.text());
    }
    return texts;
}

class PasteSessionTest : public testing::Test {
  protected:
    void start(std::string_view text) {
        session_ = sessionOf(text);
        recorder_ = std::make_unique<SessionEventRecorder>(*session_);
    }
    PasteSession& session() { return *session_; }
    Events announced() const { return recorder_->announcements(); }
    const Uuid& idAt(std::size_t index) { return session_->items().at(index).id(); }

    void TearDown() override {
        EXPECT_EQ(sessionInvariantViolation(*session_), std::nullopt);
        EXPECT_EQ(recorder_->unpairedChange(), std::nullopt);
    }

    std::unique_ptr<PasteSession> session_;
    std::unique_ptr<SessionEventRecorder> recorder_;
};

TEST_F(PasteSessionTest, NewSessionStartsOnTheFirstItemSilently) {
    start("a\nb\nc");
    EXPECT_EQ(session().cursorIndex(), 0);
    EXPECT_EQ(session().progressText(), "1 of 3");
    EXPECT_FALSE(session().isOnLastItem());
    EXPECT_FALSE(session().isFinished());
    EXPECT_EQ(announced(), Events{});
}

TEST_F(PasteSessionTest, AdvanceStopsOnTheLastItem) {
    start("a\nb\nc");
    session().advance();
    session().advance();
    EXPECT_EQ(session().progressText(), "3 of 3");
    EXPECT_TRUE(session().isOnLastItem());
    EXPECT_EQ(announced(), (Events{"cursorIndex", "cursorIndex"}));
    session().advance();
    EXPECT_EQ(session().progressText(), "3 of 3");
    EXPECT_EQ(announced().size(), 2U);
}

TEST_F(PasteSessionTest, EmptySessionIgnoresMoves) {
    start("");
    EXPECT_EQ(session().progressText(), "0 of 0");
    EXPECT_EQ(session().currentItem(), nullptr);
    EXPECT_FALSE(session().isOnLastItem());
    session().advance();
    session().jump(0);
    EXPECT_EQ(announced(), Events{});
}

TEST_F(PasteSessionTest, JumpOutsideTheQueueIsIgnored) {
    start("a\nb\nc");
    session().jump(-1);
    session().jump(3);
    EXPECT_EQ(announced(), Events{});
    EXPECT_EQ(session().cursorIndex(), 0);
}

TEST_F(PasteSessionTest, JumpToTheCurrentItemFiresAndResumes) {
    start("a\nb\nc");
    session().setFinished(true);
    recorder_->reset();
    session().jump(0);
    EXPECT_FALSE(session().isFinished());
    EXPECT_EQ(announced(), (Events{"cursorIndex", "isFinished", "signal"}));
}

TEST_F(PasteSessionTest, ObserversHearBeforeTheStoreAndAfterIt) {
    start("a\nb\nc");
    std::vector<std::int64_t> seen;
    const Subscription before = session().willChange().subscribe(
        [&](const SessionChange&) { seen.push_back(session().cursorIndex()); });
    const Subscription after = session().didChange().subscribe(
        [&](const SessionChange&) { seen.push_back(session().cursorIndex()); });
    std::string pastedNext;
    const Subscription signal = session().nextItemChangedByUser().subscribe(
        [&] { pastedNext = session().currentItem()->text(); });
    session().jump(2);
    EXPECT_EQ(seen, (std::vector<std::int64_t>{0, 2, 2, 2}));
    EXPECT_EQ(pastedNext, "c");
}

TEST_F(PasteSessionTest, CancelledSubscriptionIsNotCalled) {
    start("a\nb");
    int calls = 0;
    {
        const Subscription scoped = session().nextItemChangedByUser().subscribe([&] { ++calls; });
        session().jump(1);
    }
    session().jump(0);
    EXPECT_EQ(calls, 1);
}

TEST_F(PasteSessionTest, TransposeKeepsTheCursorOnItsCell) {
    start("a\tb\tc\nd\te\tf");
    session().jump(1);
    recorder_->reset();
    session().setTransposed(true);
    EXPECT_EQ(textsOf(session()), (Texts{"a", "d", "b", "e", "c", "f"}));
    EXPECT_EQ(session().cursorIndex(), 2);
    EXPECT_EQ(announced(), (Events{"isTransposed", "items", "cursorIndex"}));
    session().setTransposed(true);
    EXPECT_EQ(announced().size(), 3U);
    session().setTransposed(false);
    EXPECT_EQ(session().cursorIndex(), 1);
    EXPECT_EQ(textsOf(session()), (Texts{"a", "b", "c", "d", "e", "f"}));
}

TEST_F(PasteSessionTest, TransposeDoesNothingForAList) {
    start("a\nb");
    session().setTransposed(true);
    EXPECT_FALSE(session().isTransposed());
    EXPECT_EQ(announced(), Events{});
}

TEST_F(PasteSessionTest, CanTransposeOnlyTwoByTwoOrLarger) {
    const std::pair<const char*, bool> cases[] = {
        {"a\tb\nc\td", true}, {"a\tb\n", false}, {"a\nb", false}, {"", false}};
    for (const auto& [text, expected] : cases) {
        start(text);
        EXPECT_EQ(session().canTranspose(), expected) << text;
    }
}

TEST_F(PasteSessionTest, EditingTheCurrentItemFires) {
    start("a\nb");
    session().updateText(idAt(0), "");
    EXPECT_EQ(textsOf(session()), (Texts{"", "b"}));
    EXPECT_EQ(announced(), (Events{"items:updated@0", "signal"}));
}

TEST_F(PasteSessionTest, EditingAnotherItemDoesNotFire) {
    start("a\nb");
    session().updateText(idAt(1), " B ");
    EXPECT_EQ(textsOf(session()), (Texts{"a", " B "}));
    EXPECT_EQ(announced(), (Events{"items:updated@1"}));
    session().updateText(Uuid::random(), "x");
    EXPECT_EQ(announced().size(), 1U);
}

TEST_F(PasteSessionTest, GridEditSurvivesAChangeOfOrder) {
    start("a\tb\nc\td");
    session().updateText(idAt(1), "B");
    session().setTransposed(true);
    EXPECT_EQ(textsOf(session()), (Texts{"a", "c", "B", "d"}));
}

TEST_F(PasteSessionTest, SignalSubscriberSeesTheEditInBothOrders) {
    // A subscriber that switches the order at once must not bring the old text back.
    start("a\tb\nc\td");
    const Subscription reorder =
        session().nextItemChangedByUser().subscribe([&] { session().setTransposed(true); });
    session().updateText(idAt(0), "A");
    EXPECT_EQ(textsOf(session()), (Texts{"A", "c", "b", "d"}));
}

struct DeleteCase {
    const char* name;
    std::int64_t cursor;
    std::size_t deleted;
    Texts texts;
    std::string progress;
    Events announced;
};

TEST_F(PasteSessionTest, DeleteMovesTheCursorAndFiresOnlyWhenTheNextPasteChanges) {
    const DeleteCase cases[] = {
        {"before the cursor",
         2,
         0,
         {"b", "c"},
         "2 of 2",
         {"items:removed@0", "cursorIndex", "isFinished"}},
        {"after the cursor", 0, 2, {"a", "b"}, "1 of 2", {"items:removed@2", "isFinished"}},
        {"the current one",
         1,
         1,
         {"a", "c"},
         "2 of 2",
         {"items:removed@1", "isFinished", "signal"}},
        {"the current last one",
         2,
         2,
         {"a", "b"},
         "2 of 2",
         {"items:removed@2", "cursorIndex", "isFinished", "signal"}},
    };
    for (const DeleteCase& c : cases) {
        start("a\nb\nc");
        session().jump(c.cursor);
        session().setFinished(true);
        recorder_->reset();
        session().deleteItem(idAt(c.deleted));
        EXPECT_EQ(textsOf(session()), c.texts) << c.name;
        EXPECT_EQ(session().progressText(), c.progress) << c.name;
        EXPECT_EQ(announced(), c.announced) << c.name;
        EXPECT_FALSE(session().isFinished()) << c.name;
    }
}

TEST_F(PasteSessionTest, DeletingTheOnlyItemEmptiesTheQueue) {
    start("a");
    session().deleteItem(idAt(0));
    EXPECT_EQ(session().progressText(), "0 of 0");
    EXPECT_EQ(announced(), (Events{"items:removed@0", "cursorIndex", "isFinished", "signal"}));
}

TEST_F(PasteSessionTest, DeletingAnUnknownIdDoesNothing) {
    start("a\tb\n");
    session().setFinished(true);
    recorder_->reset();
    session().deleteItem(Uuid::random());
    EXPECT_EQ(announced(), Events{});
    EXPECT_TRUE(session().isFinished());
    EXPECT_EQ(session().sourceKind(), SourceKind::grid(1, 2));
}

TEST_F(PasteSessionTest, DeletingAnyCellOfATwoByTwoGridLeavesAList) {
    const Texts rowOrder{"a", "b", "c", "d"};
    const Texts columnOrder{"a", "c", "b", "d"};
    for (const bool transposed : {false, true}) {
        for (std::size_t deleted = 0; deleted < 4; ++deleted) {
            start("a\tb\nc\td");
            session().setTransposed(transposed);
            recorder_->reset();
            session().deleteItem(idAt(deleted));
            Texts expected = transposed ? columnOrder : rowOrder;
            expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(deleted));
            EXPECT_EQ(textsOf(session()), expected);
            EXPECT_EQ(session().sourceKind(), SourceKind::list());
            EXPECT_FALSE(session().grid().has_value());
            EXPECT_FALSE(session().isTransposed());
            const Events announcedStores = announced();
            ASSERT_GE(announcedStores.size(), 3U);
            EXPECT_EQ(announcedStores[1], "sourceKind");
            EXPECT_EQ(announcedStores[2], "isTransposed");
            EXPECT_EQ(sessionInvariantViolation(session()), std::nullopt);
        }
    }
}

TEST_F(PasteSessionTest, OneRowGridNarrowsThenBecomesAList) {
    start("a\tb\tc\n");
    session().deleteItem(idAt(1));
    EXPECT_EQ(session().sourceKind().label(),
              "1\xC3\x97"
              "2 grid");
    EXPECT_EQ(textsOf(session()), (Texts{"a", "c"}));
    EXPECT_EQ(announced(), (Events{"items:removed@1", "sourceKind", "isTransposed", "isFinished"}));
    session().deleteItem(idAt(0));
    session().deleteItem(idAt(0));
    EXPECT_FALSE(session().grid().has_value());
    EXPECT_EQ(session().sourceKind(), SourceKind::list());
}

TEST_F(PasteSessionTest, ClearKeepsTheFinishedFlagAndLoadResumes) {
    start("a\tb\nc\td");
    session().setTransposed(true);
    session().setFinished(true);
    recorder_->reset();
    session().clear();
    EXPECT_EQ(session().progressText(), "0 of 0");
    EXPECT_TRUE(session().isFinished());
    EXPECT_EQ(announced(), (Events{"items", "sourceKind", "isTransposed", "cursorIndex"}));

    recorder_->reset();
    session().load(*ClipboardParser::parse("x\ny"));
    EXPECT_FALSE(session().isFinished());
    EXPECT_EQ(session().currentItem()->text(), "x");
    EXPECT_EQ(announced(), (Events{"items", "sourceKind", "isTransposed", "cursorIndex",
                                   "isFinished", "signal"}));
}

TEST_F(PasteSessionTest, LoadResetsOrderAndCursor) {
    start("a\tb\nc\td");
    session().setTransposed(true);
    session().jump(3);
    session().load(*ClipboardParser::parse("1\t2\t3\n4\t5\t6\n"));
    EXPECT_FALSE(session().isTransposed());
    EXPECT_EQ(session().cursorIndex(), 0);
    EXPECT_EQ(session().sourceKind(), SourceKind::grid(2, 3));
}

TEST_F(PasteSessionTest, ControllerStoresAnnounceButNeverFire) {
    start("a\nb\nc");
    session().setCursorIndex(2);
    session().setCursorIndex(3);
    session().setCursorIndex(-1);
    session().setFinished(true);
    session().setFinished(true);
    EXPECT_EQ(session().cursorIndex(), 2);
    EXPECT_EQ(announced(), (Events{"cursorIndex", "isFinished", "isFinished"}));
}

TEST_F(PasteSessionTest, ReturnToFirstItemWorksOnAnEmptyQueue) {
    start("");
    session().setCursorIndex(0);
    session().setCursorIndex(1);
    EXPECT_EQ(announced(), (Events{"cursorIndex"}));
}

}  // namespace
}  // namespace pastiq
