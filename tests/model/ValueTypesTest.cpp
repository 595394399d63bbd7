// Identifiers, items and source kinds: what the overlay and the JSON output show of them.
#include <gtest/gtest.h>

#include <regex>
#include <thread>
#include <unordered_set>

#include "model/QueueItem.h"
#include "model/SourceKind.h"
#include "model/Uuid.h"

namespace pastiq {
namespace {

TEST(Uuid, RandomIdsAreVersionFourWithTheRfcVariant) {
    const std::regex shape("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
    std::unordered_set<Uuid> ids;
    for (int i = 0; i < 1000; ++i) {
        const Uuid id = Uuid::random();
        EXPECT_EQ(id.version(), 4);
        EXPECT_TRUE(std::regex_match(id.toString(), shape)) << id.toString();
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 1000U);
}

TEST(Uuid, ThreadsDrawDifferentIds) {
    Uuid fromOtherThread;
    std::thread([&] { fromOtherThread = Uuid::random(); }).join();
    EXPECT_NE(fromOtherThread, Uuid::random());
    EXPECT_NE(fromOtherThread, Uuid());
}

TEST(Uuid, PrintsWordsInOrder) {
    const Uuid id = Uuid::fromWords(0x0123456789ABCDEFULL, 0xFEDCBA9876543210ULL);
    EXPECT_EQ(id.toString(), "01234567-89ab-cdef-fedc-ba9876543210");
    EXPECT_EQ(Uuid().toString(), "00000000-0000-0000-0000-000000000000");
}

struct CellLabelCase {
    std::optional<std::int64_t> row;
    std::optional<std::int64_t> col;
    std::optional<std::string> label;
};

TEST(QueueItem, CellLabelCountsFromOne) {
    const CellLabelCase cases[] = {
        {0, 0, "R1C1"},
        {0, 2, "R1C3"},
        {99999, 9, "R100000C10"},
        {std::nullopt, std::nullopt, std::nullopt},
        {3, std::nullopt, std::nullopt},
        {std::nullopt, 3, std::nullopt},
    };
    for (const CellLabelCase& c : cases) {
        const QueueItem item("x", c.row, c.col);
        EXPECT_EQ(item.cellLabel(), c.label);
        EXPECT_EQ(item.row(), c.row);
        EXPECT_EQ(item.col(), c.col);
    }
}

TEST(QueueItem, EqualityTakesEveryField) {
    const Uuid id = Uuid::random();
    const QueueItem item(id, "a", 1, 2);
    EXPECT_EQ(item, QueueItem(id, "a", 1, 2));
    EXPECT_NE(item, QueueItem(Uuid::random(), "a", 1, 2));
    EXPECT_NE(item, QueueItem(id, "b", 1, 2));
    EXPECT_NE(item, QueueItem(id, "a", 1, std::nullopt));
    EXPECT_NE(item, QueueItem(id, "a", 0, 2));
}

TEST(QueueItem, CopiesAreIndependent) {
    QueueItem original("a");
    QueueItem copy = original;
    copy.setText("b");
    EXPECT_EQ(original.text(), "a");
    EXPECT_EQ(copy.id(), original.id());
}

TEST(SourceKind, LabelsUseTheMultiplicationSign) {
    EXPECT_EQ(SourceKind::list().label(), "List");
    EXPECT_EQ(SourceKind::grid(3, 4).label(),
              "3\xC3\x97"
              "4 grid");
    EXPECT_EQ(SourceKind::grid(100000, 10).label(),
              "100000\xC3\x97"
              "10 grid");
    EXPECT_NE(SourceKind::grid(2, 3), SourceKind::grid(3, 2));
    EXPECT_NE(SourceKind::grid(0, 0), SourceKind::list());
}

}  // namespace
}  // namespace pastiq
