// How long a grabbed Ctrl+V waits for its verdict: from the press arriving on the key thread,
// through the main thread's handler, to the replay being sent. Measured with a handler that
// only answers and with one that writes the clipboard as a paste does (the replay then waits
// for a round trip on the clipboard's connection), and for keys the paste gate decides on the key
// thread, with the main thread idle and with it busy. Compared with a plain request round trip to
// the same server.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TestClient.h"
#include "TestMainThread.h"
#include "XvfbServer.h"
#include "engine/PasteGate.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/XReply.h"

namespace {

using namespace std::chrono_literals;
using Nanos = std::chrono::nanoseconds;

constexpr int kWarmUp = 100;
constexpr int kSamples = 2000;

struct Percentiles {
    double p50;
    double p99;
};

Percentiles percentiles(std::vector<Nanos> samples) {
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double fraction) {
        const auto index =
            static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
        return std::chrono::duration<double, std::micro>(samples[index]).count();
    };
    return {at(0.50), at(0.99)};
}

// The time of every verdict the platform reports while it lives.
class VerdictSamples {
  public:
    explicit VerdictSamples(pastiq::X11Platform& platform) : platform_(platform) {
        platform_.setVerdictObserver([this](Nanos took) {
            const int index = measured_.load();
            if (index < static_cast<int>(samples_.size())) {
                samples_[static_cast<std::size_t>(index)] = took;
            }
            measured_.store(index + 1);
        });
    }
    ~VerdictSamples() { platform_.setVerdictObserver({}); }
    VerdictSamples(const VerdictSamples&) = delete;
    VerdictSamples& operator=(const VerdictSamples&) = delete;

    [[nodiscard]] bool hasVerdict(int press) const { return measured_.load() > press; }
    [[nodiscard]] std::vector<Nanos> afterWarmUp() const {
        return {samples_.begin() + kWarmUp, samples_.end()};
    }

  private:
    pastiq::X11Platform& platform_;
    std::vector<Nanos> samples_ = std::vector<Nanos>(kWarmUp + kSamples);
    std::atomic<int> measured_{0};
};

void installOrExit(pastiq::X11Platform& platform, pastiq::KeyGrab::Handlers handlers) {
    if (!platform.ports().keyGrab.install(std::move(handlers))) {
        std::fprintf(stderr, "the key grabs could not be installed\n");
        std::exit(1);
    }
}

// Presses Ctrl+V for every sample; `awaitVerdict(press)` is false when that press got none.
void pressCtrlV(pastiq::testing::TestClient& client, const std::function<bool(int)>& awaitVerdict) {
    for (int press = 0; press < kWarmUp + kSamples; ++press) {
        client.chord({"LCTL"}, "AB04");
        if (!awaitVerdict(press)) {
            std::fprintf(stderr, "press %d got no verdict\n", press);
            std::exit(1);
        }
        // Keeps the replayed keys from piling up unread in the client.
        while (pastiq::x11::XReply<xcb_generic_event_t> event{xcb_poll_for_event(client.get())}) {
        }
    }
}

std::vector<Nanos> measureVerdicts(pastiq::X11Platform& platform,
                                   pastiq::testing::TestClient& client,
                                   pastiq::testing::TestMainThread& main, bool writesClipboard) {
    const VerdictSamples samples(platform);
    const auto handler = [&platform, writesClipboard](const pastiq::KeyEvent&) {
        if (writesClipboard) {
            platform.ports().clipboard.writeText("item");
        }
        return pastiq::KeyVerdict::passOn;
    };
    installOrExit(platform, {handler, {}});
    pressCtrlV(client, [&](int press) {
        return main.runUntil([&] { return samples.hasVerdict(press); }, 1000ms);
    });
    platform.ports().keyGrab.remove();
    return samples.afterWarmUp();
}

// A one-item session that returns to its first item: every Ctrl+V is a paste the gate decides.
// The main thread acknowledges the gate's keys as the engine does, and when it is busy it does so
// only every hundred presses, so the gate decides from its forecast meanwhile.
std::vector<Nanos> measureGateVerdicts(pastiq::X11Platform& platform,
                                       pastiq::testing::TestClient& client,
                                       pastiq::testing::TestMainThread& main, bool mainIsBusy) {
    const VerdictSamples samples(platform);
    auto gate = std::make_shared<pastiq::PasteGate>();
    pastiq::GateState state;
    state.hasSession = true;
    state.count = 1;
    state.finishBehavior = pastiq::ListFinishBehavior::returnToFirstItem;
    state.window = {{pastiq::Uuid{}, std::make_shared<const std::string>("item")}};
    gate->publish(state);
    pastiq::KeyGrab::Handlers handlers;
    handlers.onKeyDown = [](const pastiq::KeyEvent&) { return pastiq::KeyVerdict::passOn; };
    handlers.gate = gate;
    handlers.onGateKey = [&state, gate](const pastiq::GateKey&) {
        ++state.acknowledgedKeys;
        gate->publish(state);
    };
    installOrExit(platform, std::move(handlers));
    pressCtrlV(client, [&](int press) {
        const auto verdictCame = [&] { return samples.hasVerdict(press); };
        // Every key so far taken in: the verdict's own report has run on the main thread.
        const auto allTakenIn = [&] {
            return verdictCame() && state.acknowledgedKeys > static_cast<std::uint64_t>(press);
        };
        const bool acknowledges = !mainIsBusy || press % 100 == 99;
        while (!acknowledges && !verdictCame()) {
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
        return acknowledges ? main.runUntil(allTakenIn, 1000ms)
                            : main.runUntil(verdictCame, 1000ms);
    });
    platform.ports().keyGrab.remove();
    return samples.afterWarmUp();
}

std::vector<Nanos> measureRoundTrips(pastiq::testing::TestClient& client) {
    std::vector<Nanos> samples;
    for (int trip = 0; trip < kWarmUp + kSamples; ++trip) {
        const auto start = std::chrono::steady_clock::now();
        client.sync();
        if (trip >= kWarmUp) {
            samples.push_back(std::chrono::steady_clock::now() - start);
        }
    }
    return samples;
}

}  // namespace

int main() {
    const auto server = pastiq::testing::XvfbServer::start();
    if (!server) {
        std::fprintf(stderr, "Xvfb is not installed\n");
        return 1;
    }
    setenv("DISPLAY", server->display().c_str(), 1);
    pastiq::testing::TestMainThread main;
    pastiq::testing::RecordingLog log;
    auto platform = pastiq::X11Platform::start(main.poster(), log);
    if (!platform) {
        std::fprintf(stderr, "the X11 platform did not start\n");
        return 1;
    }
    pastiq::testing::TestClient client(server->display());
    client.focusWindow();

    const auto baseline = percentiles(measureRoundTrips(client));
    std::printf("baseline GetInputFocus round trip, %d requests: p50 %.1f us, p99 %.1f us\n",
                kSamples, baseline.p50, baseline.p99);
    for (const bool writes : {false, true}) {
        const auto verdict = percentiles(measureVerdicts(*platform, client, main, writes));
        std::printf(
            "Ctrl+V verdict %s, %d presses: p50 %.1f us, p99 %.1f us; "
            "ratio to the round trip p50 %.2f, p99 %.2f\n",
            writes ? "writing the clipboard" : "answering only", kSamples, verdict.p50, verdict.p99,
            verdict.p50 / baseline.p50, verdict.p99 / baseline.p99);
    }
    for (const bool busy : {false, true}) {
        const auto verdict = percentiles(measureGateVerdicts(*platform, client, main, busy));
        std::printf(
            "Ctrl+V decided by the gate, main thread %s, %d presses: p50 %.1f us, p99 %.1f us; "
            "ratio to the round trip p50 %.2f, p99 %.2f\n",
            busy ? "busy" : "idle", kSamples, verdict.p50, verdict.p99, verdict.p50 / baseline.p50,
            verdict.p99 / baseline.p99);
    }
    return 0;
}
