#include "app/system/JournalLog.h"

#include <gtest/gtest.h>

namespace pastiq {
namespace {

TEST(JournalLogTest, StandardErrorLinesNameTheCategoryAndLevel) {
    EXPECT_EQ(JournalLog::formatLine(LogLevel::info, LogCategory::session, "Session started"),
              "pastiq[session] info: Session started\n");
    EXPECT_EQ(JournalLog::formatLine(LogLevel::error, LogCategory::permissions, "Key grab failed"),
              "pastiq[permissions] error: Key grab failed\n");
}

TEST(JournalLogTest, StandardErrorDestinationWritesThere) {
    JournalLog log(JournalLog::Destination::standardError);
    ::testing::internal::CaptureStderr();
    log.info(LogCategory::session, "Quitting older instance pid 7");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "pastiq[session] info: Quitting older instance pid 7\n");
}

TEST(JournalLogTest, WithoutAJournalSocketLinesFallBackToStandardError) {
    if (JournalLog::isJournalRunning()) {
        GTEST_SKIP() << "a journal is running here";
    }
    JournalLog log(JournalLog::Destination::journal);
    ::testing::internal::CaptureStderr();
    log.error(LogCategory::permissions, "Key grab failed — input access unavailable");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "pastiq[permissions] error: Key grab failed — input access unavailable\n");
}

}  // namespace
}  // namespace pastiq
