// How long a key takes through the Wayland key path: from its event entering the keyboard's fd
// to its stroke leaving through the virtual keyboard, on the key thread with the keyboards
// grabbed and a paste gate installed. Compared with a bare relay thread in the same process that
// polls one pipe, reads the event and writes it to another: the least any key path costs.
#include <linux/input.h>
#include <poll.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

#include "KeyPathFakes.h"
#include "engine/GateState.h"
#include "engine/PasteGate.h"
#include "engine/ports/Log.h"
#include "platform/wayland/KeyClipboard.h"
#include "platform/wayland/WaylandKeys.h"

namespace {

using pastiq::wayland::KeyStroke;
using pastiq::wayland::testing::keyEvent;

// The time of one bare read+write per event, measured first; the key path is reported against
// it.
std::atomic<double> bareNanosPerStroke{0.0};

struct Pipe {
    Pipe() {
        int ends[2] = {-1, -1};
        if (::pipe(ends) != 0) {
            throw std::runtime_error("pipe");
        }
        readEnd = ends[0];
        writeEnd = ends[1];
    }
    ~Pipe() {
        ::close(readEnd);
        ::close(writeEnd);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int readEnd;
    int writeEnd;
};

void writeAll(int fd, const void* data, std::size_t size) {
    if (::write(fd, data, size) != static_cast<ssize_t>(size)) {
        throw std::runtime_error("write");
    }
}

void readAll(int fd, void* data, std::size_t size) {
    if (::read(fd, data, size) != static_cast<ssize_t>(size)) {
        throw std::runtime_error("read");
    }
}

// The virtual keyboard as a pipe the benchmark reads from, one write per stroke as uinput.
class PipeSink final : public pastiq::wayland::KeySink {
  public:
    explicit PipeSink(int fd) : fd_(fd) {}
    bool send(const std::vector<KeyStroke>& strokes) override {
        for (const KeyStroke& stroke : strokes) {
            const input_event event = keyEvent(stroke.code, stroke.pressed ? 1 : 0);
            writeAll(fd_, &event, sizeof event);
        }
        return true;
    }
    void releaseAll() override {}

  private:
    int fd_;
};

// A compositor that takes every write in at once, and an application that fetches it at once.
class NoClipboard final : public pastiq::wayland::KeyClipboard {
  public:
    std::int64_t writeForKey(std::shared_ptr<const std::string>,
                             std::function<void()> applied) override {
        const std::int64_t count = ++count_;
        applied();
        if (fetched_) {
            fetched_(count);
        }
        return count;
    }
    [[nodiscard]] std::int64_t changeCount() const override { return count_; }
    void onFetched(std::function<void(std::int64_t)> fetched) override {
        fetched_ = std::move(fetched);
    }

  private:
    std::atomic<std::int64_t> count_{0};
    std::function<void(std::int64_t)> fetched_;
};

class SilentLog final : public pastiq::Log {
  public:
    void write(pastiq::LogLevel, pastiq::LogCategory, std::string_view) override {}
};

// The median and the 99th percentile of the samples, as counters in microseconds.
void reportPercentiles(benchmark::State& state, std::vector<double>& micros) {
    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}

// Sends press and release of one letter per iteration and waits for each to come out.
void typeThrough(benchmark::State& state, int in, int out) {
    input_event received{};
    std::vector<double> micros;
    for (auto _ : state) {
        for (const std::int32_t value : {1, 0}) {
            const auto sentAt = std::chrono::steady_clock::now();
            const input_event sent = keyEvent(KEY_A, value);
            writeAll(in, &sent, sizeof sent);
            readAll(out, &received, sizeof received);
            micros.push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - sentAt)
                    .count());
        }
    }
    state.SetItemsProcessed(state.iterations() * 2);
    reportPercentiles(state, micros);
}

void bareRelay(benchmark::State& state) {
    Pipe keyboard;
    Pipe sink;
    std::atomic<bool> stop{false};
    std::thread relay([&] {
        pollfd watched{keyboard.readEnd, POLLIN, 0};
        input_event event{};
        while (!stop && ::poll(&watched, 1, 100) >= 0) {
            if ((watched.revents & POLLIN) != 0 && ::read(keyboard.readEnd, &event, sizeof event) ==
                                                       static_cast<ssize_t>(sizeof event)) {
                writeAll(sink.writeEnd, &event, sizeof event);
            }
        }
    });
    const auto start = std::chrono::steady_clock::now();
    typeThrough(state, keyboard.writeEnd, sink.readEnd);
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    bareNanosPerStroke = took.count() / static_cast<double>(state.iterations() * 2);
    stop = true;
    relay.join();
}

// The key path over a pipe keyboard and a pipe sink, grabbed, with a gate installed that may
// hold a session.
class KeyPathRig {
  public:
    explicit KeyPathRig(std::optional<pastiq::GateState> session = std::nullopt) {
        pastiq::wayland::WaylandKeys::Devices devices{
            std::make_unique<pastiq::wayland::testing::ListedKeyboards>(
                std::vector<std::shared_ptr<pastiq::wayland::KeyboardDevice>>{keyboard_}),
            std::make_unique<pastiq::wayland::testing::FixedKeymap>(
                pastiq::wayland::testing::keymapText("us")),
            std::make_unique<PipeSink>(sink_.writeEnd), nullptr};
        // The main thread is never asked: letters are no session keys, and the gate decides
        // every paste.
        keys_ = pastiq::wayland::WaylandKeys::start(
            std::move(devices), clipboard_, [](const std::function<void()>&) {}, log_);
        pastiq::KeyGrab::Handlers handlers;
        handlers.gate = std::make_shared<pastiq::PasteGate>();
        if (session) {
            handlers.gate->publish(std::move(*session));
        }
        isReady_ = keys_ && keys_->keyGrab().install(std::move(handlers));
    }
    ~KeyPathRig() {
        if (isReady_) {
            keys_->keyGrab().remove();
        }
    }
    KeyPathRig(const KeyPathRig&) = delete;
    KeyPathRig& operator=(const KeyPathRig&) = delete;

    [[nodiscard]] bool isReady() const { return isReady_; }
    [[nodiscard]] int in() const { return keyboard_->writeFd(); }
    [[nodiscard]] int out() const { return sink_.readEnd; }
    // Types one key and waits for it to leave the sink.
    void stroke(std::uint16_t code, std::int32_t value) {
        keyboard_->type(code, value);
        input_event received{};
        readAll(sink_.readEnd, &received, sizeof received);
    }

  private:
    Pipe sink_;
    NoClipboard clipboard_;
    SilentLog log_;
    std::shared_ptr<pastiq::wayland::testing::PipeKeyboard> keyboard_ =
        std::make_shared<pastiq::wayland::testing::PipeKeyboard>();
    std::unique_ptr<pastiq::wayland::WaylandKeys> keys_;
    bool isReady_ = false;
};

void keyPath(benchmark::State& state) {
    KeyPathRig rig;
    if (!rig.isReady()) {
        state.SkipWithError("the key path did not start");
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    typeThrough(state, rig.in(), rig.out());
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    const double perStroke = took.count() / static_cast<double>(state.iterations() * 2);
    state.counters["ns_per_key"] = perStroke;
    if (bareNanosPerStroke > 0) {
        state.counters["x_bare"] = perStroke / bareNanosPerStroke;
    }
}

// A session of `count` items the gate may paste from, all inside its window.
pastiq::GateState sessionOf(std::int64_t count) {
    pastiq::GateState state;
    state.hasSession = true;
    state.count = count;
    for (std::int64_t i = 0; i < count; ++i) {
        state.window.push_back(
            pastiq::GateItem{pastiq::Uuid::random(), std::make_shared<const std::string>("item")});
    }
    state.firstItem = state.window.front();
    return state;
}

// The gate's Ctrl+V verdict on the key thread: from V's press entering the keyboard's fd to the
// press leaving the sink, its item written and taken in. Presses come 40 ms apart, beyond the
// pacing that lets GTK finish asking for the previous paste, so each sample is one verdict. The
// percentiles are reported as counters (microseconds).
void pasteVerdict(benchmark::State& state) {
    constexpr std::int64_t kSamples = 200;
    KeyPathRig rig(sessionOf(kSamples + 1));
    if (!rig.isReady()) {
        state.SkipWithError("the key path did not start");
        return;
    }
    std::vector<double> micros;
    for (auto _ : state) {
        micros.clear();
        for (std::int64_t i = 0; i < kSamples; ++i) {
            rig.stroke(KEY_LEFTCTRL, 1);
            const auto pressed = std::chrono::steady_clock::now();
            rig.stroke(KEY_V, 1);
            micros.push_back(std::chrono::duration<double, std::micro>(
                                 std::chrono::steady_clock::now() - pressed)
                                 .count());
            rig.stroke(KEY_V, 0);
            rig.stroke(KEY_LEFTCTRL, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
    }
    reportPercentiles(state, micros);
}

BENCHMARK(bareRelay)->UseRealTime()->MinTime(1.0);
BENCHMARK(keyPath)->UseRealTime()->MinTime(1.0);
BENCHMARK(pasteVerdict)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
