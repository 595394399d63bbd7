#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "X11Fixture.h"
#include "platform/x11/PasteFlowControl.h"

namespace pastiq::testing {
namespace {

using namespace std::chrono_literals;
using x11::PasteFlowControl;

// Ctrl+V bursts into an application that asks for the clipboard with CurrentTime, as Tk and
// GTK's text requests do. The stand-in main thread runs on its own thread here, so the test's
// thread is free to play the application.
class X11PasteFlowTest : public X11Test {
  protected:
    void SetUp() override {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        ASSERT_TRUE(platform->ports().keyGrab.install({[this](const KeyEvent&) {
                                                           platform->ports().clipboard.writeText(
                                                               "item" + std::to_string(++written));
                                                           return KeyVerdict::passOn;
                                                       },
                                                       {}}));
        mainThread = std::thread([this] { main.runUntil([this] { return done.load(); }, 20s); });
    }

    void TearDown() override {
        done = true;
        if (mainThread.joinable()) {
            mainThread.join();
        }
        X11Test::TearDown();
    }

    void burstOfCtrlV(int count) {
        for (int i = 0; i < count; ++i) {
            client->chord({"LCTL"}, "AB04");
        }
    }

    std::atomic<int> written{0};
    std::atomic<bool> done{false};
    std::thread mainThread;
};

TEST_F(X11PasteFlowTest, ASlowApplicationPastingWithCurrentTimeGetsEveryItemInOrder) {
    TestClient requestor(sharedServer()->display());
    const xcb_atom_t targets = requestor.atom("TARGETS");
    const xcb_atom_t utf8 = requestor.atom("UTF8_STRING");
    constexpr int kPastes = 5;
    burstOfCtrlV(kPastes);
    std::vector<std::string> pasted;
    for (int i = 0; i < kPastes; ++i) {
        ASSERT_TRUE(client->nextPressOf("AB04")) << "Ctrl+V " << i + 1 << " never arrived";
        // Asking what is offered fetches nothing; the text itself is asked for late.
        ASSERT_TRUE(requestor.convertClipboard(targets));
        std::this_thread::sleep_for(30ms);
        pasted.push_back(requestor.convertClipboard(utf8).value_or(Converted{}).bytes);
    }
    EXPECT_EQ(pasted, (std::vector<std::string>{"item1", "item2", "item3", "item4", "item5"}));
}

TEST_F(X11PasteFlowTest, APlaceThatNeverPastesCostsTheBoundOnlyOnce) {
    constexpr int kPresses = 6;
    const auto start = std::chrono::steady_clock::now();
    burstOfCtrlV(kPresses);
    for (int i = 0; i < kPresses; ++i) {
        ASSERT_TRUE(client->nextPressOf("AB04")) << "Ctrl+V " << i + 1 << " never arrived";
    }
    const auto took = std::chrono::steady_clock::now() - start;
    // The second press waited for the first text; after that the place counts as one that
    // does not paste, and no press waits again.
    EXPECT_GE(took, PasteFlowControl::kHoldBound - 10ms);
    EXPECT_LT(took, 2 * PasteFlowControl::kHoldBound);
    EXPECT_EQ(written.load(), kPresses);
}

}  // namespace
}  // namespace pastiq::testing
