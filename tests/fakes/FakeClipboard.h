#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/ports/Clipboard.h"
#include "engine/ports/Scheduler.h"

namespace pastiq::testing {

// The clipboard in memory. Pastiq's writes and clears are kept in order; other applications'
// copies are simulated with simulateCopy and do not appear in the history. A read answers on
// the scheduler's next turn with what the clipboard held when it was asked; while reads are
// held, they wait for the test to release them, as reads of an owner that is slow to answer.
class FakeClipboard : public Clipboard {
  public:
    explicit FakeClipboard(Scheduler& scheduler) : scheduler_(scheduler) {}

    [[nodiscard]] std::int64_t changeCount() const override { return changeCount_; }
    void readText(ReadCompletion completion) override;
    void writeText(const std::string& text) override;
    void clear() override;

    // Another application takes the clipboard; nothing means content without plain text.
    void simulateCopy(std::optional<std::string> text);
    // Another application copies a text of this size, more than a read takes.
    void simulateTooLargeCopy(std::uint64_t bytes);
    // A clipboard manager takes ownership with the same content.
    void simulateReannounce() { ++changeCount_; }

    [[nodiscard]] const std::optional<std::string>& text() const { return text_; }
    [[nodiscard]] int readCount() const { return readCount_; }

    // Reads from now on wait until released.
    void holdReads() { holdsReads_ = true; }
    // Answers the held reads, in order, with what the clipboard holds now; later reads answer
    // on the scheduler again.
    void releaseReads();
    [[nodiscard]] std::size_t heldReadCount() const { return heldReads_.size(); }

    // Runs when a read is asked for, before it is answered or held.
    std::function<void()> onRead;
    // Pastiq's own writes; nothing marks a clear.
    [[nodiscard]] const std::vector<std::optional<std::string>>& writeHistory() const {
        return history_;
    }

  private:
    [[nodiscard]] ClipboardText content() const { return {text_, tooLargeBytes_}; }

    Scheduler& scheduler_;
    std::int64_t changeCount_ = 1;
    std::optional<std::string> text_;
    std::uint64_t tooLargeBytes_ = 0;
    int readCount_ = 0;
    bool holdsReads_ = false;
    std::vector<ReadCompletion> heldReads_;
    std::vector<std::optional<std::string>> history_;
};

}  // namespace pastiq::testing
