#include "platform/wayland/ClipboardTransfers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace pastiq::wayland {
namespace {

using namespace std::chrono_literals;
using Clock = ClipboardTransfers::Clock;

struct Pipe {
    UniqueFd readEnd;
    UniqueFd writeEnd;
};

Pipe makePipe() {
    int ends[2] = {-1, -1};
    EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
    return {UniqueFd(ends[0]), UniqueFd(ends[1])};
}

// Runs the clipboard thread's poll loop over the transfers until `finished` or `limit`.
void drive(ClipboardTransfers& transfers, const std::function<bool()>& finished,
           Clock::duration limit = 5s) {
    const auto end = Clock::now() + limit;
    while (!finished() && Clock::now() < end) {
        std::vector<pollfd> fds;
        transfers.addPollFds(fds);
        ::poll(fds.data(), fds.size(), 5);
        transfers.handle(fds, Clock::now());
        transfers.expire(Clock::now());
    }
}

// What a peer application does with its end of the pipe.
struct WriterScript {
    const char* name;
    std::vector<std::string> pieces;
    std::chrono::milliseconds pause;
    bool closes;
};

struct ReadCase {
    WriterScript writer;
    std::size_t limit;
    ClipboardText expected;
};

class PipeReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(PipeReadTest, AnswersWhatTheOwnerWroteWithinItsBounds) {
    const auto& param = GetParam();
    ClipboardTransfers transfers({.read = 200ms, .readBytes = param.limit, .sendStall = 1s});
    auto pipe = makePipe();
    std::optional<ClipboardText> answer;
    const auto started = Clock::now();
    transfers.read(
        std::move(pipe.readEnd), [&](ClipboardText text) { answer = std::move(text); }, started);

    std::thread writer([&param, fd = std::move(pipe.writeEnd)]() mutable {
        for (const auto& piece : param.writer.pieces) {
            std::this_thread::sleep_for(param.writer.pause);
            // The reader may have stopped reading an oversize text: EPIPE is expected then.
            [[maybe_unused]] const auto wrote =
                writeWithoutSigpipe(fd.get(), piece.data(), piece.size());
        }
        if (param.writer.closes) {
            fd.reset();
        } else {
            std::this_thread::sleep_for(400ms);
        }
    });
    drive(transfers, [&] { return answer.has_value(); });
    const auto took = Clock::now() - started;
    writer.join();

    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, param.expected) << param.writer.name;
    EXPECT_LT(took, 350ms) << "a read must end by its bound";
    EXPECT_FALSE(transfers.isReading());
}

INSTANTIATE_TEST_SUITE_P(
    Writers, PipeReadTest,
    ::testing::Values(
        ReadCase{{"whole", {"one\ttwo\nthree"}, 0ms, true},
                 100,
                 ClipboardText::withText("one\ttwo\nthree")},
        ReadCase{{"slow, in pieces", {"ab", "cd", "ef"}, 30ms, true},
                 100,
                 ClipboardText::withText("abcdef")},
        ReadCase{{"empty", {}, 0ms, true}, 100, ClipboardText::withText("")},
        ReadCase{{"exactly the limit", {"12345", "67890"}, 5ms, true},
                 10,
                 ClipboardText::withText("1234567890")},
        ReadCase{{"one byte over", {"12345678901"}, 0ms, true}, 10, ClipboardText::tooLargeOf(11)},
        ReadCase{{"far over, never closing", {std::string(70000, 'x')}, 0ms, false},
                 10,
                 ClipboardText::tooLargeOf(11)},
        ReadCase{{"never closes", {"partial"}, 0ms, false}, 100, ClipboardText{}},
        ReadCase{{"silent", {}, 0ms, false}, 100, ClipboardText{}}));

TEST(ClipboardTransfersTest, AReadReplacedBeforeItEndsIsAnsweredWithNoText) {
    ClipboardTransfers transfers({});
    auto first = makePipe();
    auto second = makePipe();
    std::vector<ClipboardText> answers;
    const auto keep = [&answers](ClipboardText text) { answers.push_back(std::move(text)); };
    transfers.read(std::move(first.readEnd), keep, Clock::now());
    transfers.read(std::move(second.readEnd), keep, Clock::now());
    ASSERT_EQ(::write(second.writeEnd.get(), "new", 3), 3);
    second.writeEnd.reset();
    drive(transfers, [&] { return answers.size() == 2; });

    ASSERT_EQ(answers.size(), 2U);
    EXPECT_EQ(answers[0], ClipboardText{});
    EXPECT_EQ(answers[1], ClipboardText::withText("new"));
}

// More than a pipe holds, so each transfer has to wait for its reader several times.
std::string largeText(char fill) {
    std::string text(std::size_t{1} << 20, fill);
    text.back() = '\n';
    return text;
}

std::string readAll(int fd, std::chrono::milliseconds pause) {
    std::string received;
    char chunk[8192];
    for (;;) {
        const auto got = ::read(fd, chunk, sizeof chunk);
        if (got <= 0) {
            return received;
        }
        received.append(chunk, static_cast<std::size_t>(got));
        std::this_thread::sleep_for(pause);
    }
}

TEST(ClipboardTransfersTest, SendsToSeveralSlowReadersAtOnceEachTheWholeText) {
    ClipboardTransfers transfers({});
    const auto text = std::make_shared<const std::string>(largeText('p'));
    std::vector<std::thread> readers;
    std::vector<std::string> received(3);
    for (auto& into : received) {
        auto pipe = makePipe();
        transfers.send(std::move(pipe.writeEnd), text, Clock::now());
        readers.emplace_back(
            [&into, fd = std::move(pipe.readEnd)] { into = readAll(fd.get(), 1ms); });
    }
    drive(transfers, [&] { return !transfers.isSending(); });
    for (auto& reader : readers) {
        reader.join();
    }
    for (const auto& each : received) {
        EXPECT_EQ(each, *text);
    }
}

TEST(ClipboardTransfersTest, AReaderThatLeavesEarlyEndsItsTransferAndNoOther) {
    ClipboardTransfers transfers({});
    const auto text = std::make_shared<const std::string>(largeText('q'));
    auto leaving = makePipe();
    auto staying = makePipe();
    transfers.send(std::move(leaving.writeEnd), text, Clock::now());
    transfers.send(std::move(staying.writeEnd), text, Clock::now());
    // Closing with the pipe full makes the next write fail with EPIPE: without care, SIGPIPE
    // ends the process here.
    leaving.readEnd.reset();
    std::string received;
    std::thread reader([&] { received = readAll(staying.readEnd.get(), 0ms); });
    drive(transfers, [&] { return !transfers.isSending(); });
    reader.join();
    EXPECT_EQ(received, *text);
}

TEST(ClipboardTransfersTest, GivesUpAReaderThatStopsTakingAndClosesItsEnd) {
    ClipboardTransfers transfers({.sendStall = 100ms});
    auto pipe = makePipe();
    const auto started = Clock::now();
    transfers.send(std::move(pipe.writeEnd), std::make_shared<const std::string>(largeText('r')),
                   started);
    drive(transfers, [&] { return !transfers.isSending(); });
    EXPECT_LT(Clock::now() - started, 1s);
    // What the pipe held, then the end of the text: the reader is not left waiting.
    EXPECT_LT(readAll(pipe.readEnd.get(), 0ms).size(), largeText('r').size());
}

}  // namespace
}  // namespace pastiq::wayland
