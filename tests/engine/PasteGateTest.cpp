#include <string>
#include <vector>

#include "EngineHarness.h"

namespace pastiq::testing {
namespace {

const std::string kList = "SECRET-1\nSECRET-2\nSECRET-3\nSECRET-4\nSECRET-5";

// Ctrl+V decided on the key thread while the main thread is busy: the engine hears of the
// pastes only when the test delivers them.
class PasteGateTest : public EngineHarness {
  protected:
    PasteGateTest() {
        fakes.keyTap.usesGate = true;
        fakes.keyTap.writeForKey = [this](const std::string& text) {
            fakes.pasteboard.writeText(text);
            return fakes.pasteboard.changeCount();
        };
    }

    [[nodiscard]] std::vector<std::string> writes() const {
        std::vector<std::string> texts;
        for (const auto& write : fakes.pasteboard.writeHistory()) {
            texts.push_back(write.value_or("(cleared)"));
        }
        return texts;
    }
};

TEST_F(PasteGateTest, ABusyMainThreadStillGetsEveryPasteItsOwnItem) {
    startWith(kList);
    pasteTimes(3);
    EXPECT_EQ(fakes.keyTap.undeliveredGatePastes(), 3U);
    EXPECT_EQ(cursor(), 0) << "the engine has not heard of them yet";
    EXPECT_EQ(writes(), (std::vector<std::string>{"SECRET-1", "SECRET-1", "SECRET-2", "SECRET-3"}));

    fakes.keyTap.deliverGatePastes();
    EXPECT_EQ(cursor(), 3);
    // The rest goes on from there; the last item is the engine's, with its finish behaviour.
    pasteTimes(2);
    fakes.keyTap.deliverGatePastes();
    EXPECT_EQ(writes().back(), "SECRET-5");
    EXPECT_EQ(fakes.log.count("List finished — applying clearClipboard"), 1);
}

// Whichever path judges each key, the clipboard sees the same writes and the queue ends in the
// same place, for every finish behaviour and however late the engine hears of gate pastes.
TEST_F(PasteGateTest, GateAndMainThreadPasteAlike) {
    for (const ListFinishBehavior behavior : kAllListFinishBehaviors) {
        for (const bool gate : {false, true}) {
            SCOPED_TRACE(std::string(rawValue(behavior)) + (gate ? " through the gate" : ""));
            fakes.keyTap.usesGate = gate;
            setFinishBehavior(behavior);
            const std::size_t before = writeCount();
            startWith(kList);
            for (int press = 0; press < 7; ++press) {
                pressPaste();
                if (press % 3 == 2) {
                    fakes.keyTap.deliverGatePastes();
                }
            }
            fakes.keyTap.deliverGatePastes();
            advance(1000);
            const auto all = writes();
            const std::vector<std::string> run(all.begin() + static_cast<std::ptrdiff_t>(before),
                                               all.end());
            const std::vector<std::string> expected =
                behavior == ListFinishBehavior::returnToFirstItem
                    ? std::vector<std::string>{"SECRET-1", "SECRET-1", "SECRET-2",
                                               "SECRET-3", "SECRET-4", "SECRET-5",
                                               "SECRET-1", "SECRET-2", "SECRET-3"}
                : behavior == ListFinishBehavior::stayOnLastItem
                    ? std::vector<std::string>{"SECRET-1", "SECRET-1", "SECRET-2",
                                               "SECRET-3", "SECRET-4", "SECRET-5",
                                               "SECRET-5", "SECRET-5", "SECRET-5"}
                    : std::vector<std::string>{"SECRET-1", "SECRET-1", "SECRET-2", "SECRET-3",
                                               "SECRET-4", "SECRET-5", "(cleared)"};
            EXPECT_EQ(run, expected);
            controller->endSession(false);
        }
    }
}

// A step waits for the main thread; until it is done the gate decides nothing, so the next
// Ctrl+V cannot paste the item the step moved away from.
TEST_F(PasteGateTest, AKeyAtTheMainThreadHoldsTheGateBack) {
    startWith(kList);
    auto& gate = *controller->eventTap().gate();
    gate.keyHandedToMainThread();
    EXPECT_EQ(gate.decide(KeyEvent{KeyPosition::v, {.ctrl = true}}), std::nullopt);
    gate.mainThreadKeyDone();
    const auto item = gate.decide(KeyEvent{KeyPosition::v, {.ctrl = true}});
    ASSERT_TRUE(item);
    EXPECT_EQ(*item->text, "SECRET-1");
    for (const KeyEvent other : {KeyEvent{KeyPosition::v, {.ctrl = true}, true},
                                 KeyEvent{KeyPosition::v, {.ctrl = true, .shift = true}},
                                 KeyEvent{KeyPosition::rightBracket, {.ctrl = true}}}) {
        EXPECT_EQ(gate.decide(other), std::nullopt);
    }
}

// The gate's writes are Pastiq's own: ending the session takes the pasted item away.
TEST_F(PasteGateTest, EndingTheSessionClearsAnItemTheGateWrote) {
    startWith(kList);
    pasteTimes(2);
    fakes.keyTap.deliverGatePastes();
    controller->endSession(true);
    EXPECT_EQ(clipboard(), std::nullopt);
}

// A paste decided for a queue the user changed meanwhile does not move the new queue.
TEST_F(PasteGateTest, APasteForAnItemNoLongerNextLeavesTheQueueAlone) {
    startWith(kList);
    pressPaste();
    session().jump(3);
    fakes.keyTap.deliverGatePastes();
    EXPECT_EQ(cursor(), 3);
}

}  // namespace
}  // namespace pastiq::testing
