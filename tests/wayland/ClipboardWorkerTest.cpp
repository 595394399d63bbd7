#include "platform/wayland/ClipboardWorker.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "platform/wayland/TextTypes.h"
#include "platform/wayland/WaylandConnection.h"

namespace pastiq::wayland {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Another application's offer: it writes its text at once, or never answers (and keeps the fd
// open in `silent`, as a hung application would, beyond the offer's end).
class FakeOffer final : public DataControlOffer {
  public:
    FakeOffer(std::vector<std::string> types, std::optional<std::string> text,
              std::vector<UniqueFd>* silent = nullptr)
        : types_(std::move(types)), text_(std::move(text)), silent_(silent) {}
    [[nodiscard]] const std::vector<std::string>& mimeTypes() const override { return types_; }
    void receive(const std::string& /*mimeType*/, UniqueFd fd) override {
        if (text_) {
            EXPECT_EQ(::write(fd.get(), text_->data(), text_->size()),
                      static_cast<ssize_t>(text_->size()));
        } else if (silent_ != nullptr) {
            silent_->push_back(std::move(fd));
        }
    }

  private:
    std::vector<std::string> types_;
    std::optional<std::string> text_;
    std::vector<UniqueFd>* silent_;
};

// The compositor as the clipboard thread sees it: a selection request is reported back when the
// next sync is answered, as a compositor handles requests in order.
struct FakeCompositor {
    DataControlDevice::Events device;
    DataControlSource::Events lastSource;
    std::vector<std::shared_ptr<DataControlOffer>> echoes;
    bool answersSyncs = true;
    std::vector<UniqueFd> silent;
};

class FakeSource final : public DataControlSource {
  public:
    explicit FakeSource(std::vector<std::string> offered) : types(std::move(offered)) {}
    std::vector<std::string> types;
};

class FakeDevice final : public DataControlDevice {
  public:
    explicit FakeDevice(FakeCompositor& compositor) : compositor_(compositor) {}
    std::unique_ptr<DataControlSource> createSource(const std::vector<std::string>& types,
                                                    DataControlSource::Events events) override {
        compositor_.lastSource = std::move(events);
        return std::make_unique<FakeSource>(types);
    }
    void setSelection(DataControlSource* source) override {
        compositor_.echoes.push_back(
            source
                ? std::make_shared<FakeOffer>(static_cast<FakeSource*>(source)->types, std::nullopt)
                : nullptr);
    }
    void sync(std::function<void()> done) override {
        if (!compositor_.answersSyncs) {
            return;
        }
        for (auto& echo : std::exchange(compositor_.echoes, {})) {
            compositor_.device.selection(std::move(echo));
        }
        done();
    }

  private:
    FakeCompositor& compositor_;
};

class ClipboardWorkerTest : public ::testing::Test {
  protected:
    ClipboardWorkerTest()
        : worker_(nullptr,
                  [this](DataControlDevice::Events events) {
                      compositor_.device = std::move(events);
                      return std::make_unique<FakeDevice>(compositor_);
                  },
                  {.read = 100ms}) {
        worker_.start();
    }

    // Runs `work` on the clipboard thread and waits for it.
    void onThread(const std::function<void()>& work) {
        std::promise<void> done;
        worker_.post([&] {
            work();
            done.set_value();
        });
        done.get_future().wait();
    }
    void write(const char* text, std::function<void()> applied = nullptr) {
        const auto count = worker_.countOwnWrite();
        onThread([&] {
            worker_.write(text ? std::make_shared<const std::string>(text) : nullptr,
                          std::move(applied), count);
        });
    }
    void copyElsewhere(std::optional<std::string> text) {
        onThread([&] {
            compositor_.device.selection(std::make_shared<FakeOffer>(
                std::vector<std::string>{"text/plain"}, text, &compositor_.silent));
        });
    }
    void read() {
        onThread([this] {
            worker_.read([this](ClipboardText text) {
                const std::lock_guard lock(mutex_);
                answers_.push_back(std::move(text));
                answered_.notify_all();
            });
        });
    }
    std::vector<ClipboardText> answers(std::size_t count) {
        std::unique_lock lock(mutex_);
        answered_.wait_for(lock, 2s, [&] { return answers_.size() >= count; });
        return answers_;
    }

    FakeCompositor compositor_;
    std::mutex mutex_;
    std::condition_variable answered_;
    std::vector<ClipboardText> answers_;
    ClipboardWorker worker_;
};

TEST_F(ClipboardWorkerTest, AnswersReadsInOrderEachAfterTheWritesAndCopiesBeforeIt) {
    read();
    write("item");
    read();
    copyElsewhere("copied");
    read();
    copyElsewhere(std::nullopt);  // an owner that never answers
    read();
    write(nullptr);
    read();

    EXPECT_EQ(answers(5),
              (std::vector<ClipboardText>{ClipboardText{}, ClipboardText::withText("item"),
                                          ClipboardText::withText("copied"), ClipboardText{},
                                          ClipboardText{}}));
}

TEST_F(ClipboardWorkerTest, CountsEveryOwnerChangeOnceAndPastiqsOwnWritesBeforeTheyReturn) {
    write("first");
    EXPECT_EQ(worker_.changeCount(), 1);
    write("second");
    copyElsewhere("copied");
    write(nullptr);
    EXPECT_EQ(worker_.changeCount(), 4) << "echoes of Pastiq's writes are not copies";
}

TEST_F(ClipboardWorkerTest, LetsAKeyGoOnOnceTheCompositorTookTheWriteOrAfterTheBound) {
    for (const bool answers : {true, false}) {
        compositor_.answersSyncs = answers;
        std::promise<Clock::time_point> applied;
        const auto started = Clock::now();
        write("item", [&applied] { applied.set_value(Clock::now()); });
        auto future = applied.get_future();
        ASSERT_EQ(future.wait_for(2s), std::future_status::ready);
        const auto took = future.get() - started;
        if (answers) {
            EXPECT_LT(took, 100ms);
        } else {
            EXPECT_GE(took, ClipboardWorker::kApplyBound);
        }
    }
}

TEST_F(ClipboardWorkerTest, ServesTheTextAndReportsEachWriteFetchedOnceButNotForItsMark) {
    std::vector<std::int64_t> fetched;
    onThread([&] { worker_.onFetched([&](std::int64_t count) { fetched.push_back(count); }); });
    write("item");
    std::vector<std::string> received;
    for (const std::string& type :
         {std::string("text/plain"), offeredTypes(1).back(), std::string("UTF8_STRING")}) {
        int ends[2] = {-1, -1};
        ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
        const UniqueFd readEnd(ends[0]);
        onThread([&] { compositor_.lastSource.send(type, UniqueFd(ends[1])); });
        char buffer[16] = {};
        const auto got = ::read(readEnd.get(), buffer, sizeof buffer);
        received.emplace_back(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    EXPECT_EQ(received, (std::vector<std::string>{"item", "", "item"}));
    onThread([] {});
    EXPECT_EQ(fetched, std::vector<std::int64_t>{1});
}

TEST_F(ClipboardWorkerTest, WithTheDeviceGoneLetsKeysGoOnAndStillAnswersReads) {
    copyElsewhere("copied");
    onThread([&] { compositor_.device.finished(); });
    bool applied = false;
    write("item", [&applied] { applied = true; });
    EXPECT_TRUE(applied);
    read();
    EXPECT_EQ(answers(1), std::vector<ClipboardText>{ClipboardText{}});
}

}  // namespace
}  // namespace pastiq::wayland
