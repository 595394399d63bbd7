#include <string>
#include <vector>

#include "EngineHarness.h"

namespace pastiq::testing {
namespace {

const std::string kList = "SECRET-1\nSECRET-2\nSECRET-3\nSECRET-4\nSECRET-5";
const KeyEvent kPaste{KeyPosition::v, {.ctrl = true}};

// Keys decided on the key thread while the main thread is busy: the engine hears of them only
// when the test delivers them, and the gate hears of the engine's state when the test lets the
// main queue run.
class PasteGateTest : public EngineHarness {
  protected:
    PasteGateTest() {
        fakes.keyGrab.usesGate = true;
        fakes.keyGrab.writeForKey = [this](const std::string& text) {
            fakes.clipboard.writeText(text);
            return fakes.clipboard.changeCount();
        };
        fakes.keyGrab.changeCount = [this] { return fakes.clipboard.changeCount(); };
    }

    // Another application copies `text`, the user starts a session, and the main thread
    // publishes it to the gate.
    void startPublished(const std::string& text) {
        startWith(text);
        fakes.scheduler.runReady();
    }
    void deliverAndPublish() {
        fakes.keyGrab.deliverGateKeys();
        fakes.scheduler.runReady();
    }

    [[nodiscard]] std::vector<std::string> writes() const {
        std::vector<std::string> texts;
        for (const auto& write : fakes.clipboard.writeHistory()) {
            texts.push_back(write.value_or("(cleared)"));
        }
        return texts;
    }
};

TEST_F(PasteGateTest, ABusyMainThreadStillGetsEveryPasteItsOwnItem) {
    startPublished(kList);
    pasteTimes(3);
    EXPECT_EQ(fakes.keyGrab.undeliveredGateKeys(), 3U);
    EXPECT_EQ(cursor(), 0) << "the engine has not heard of them yet";
    EXPECT_EQ(writes(), (std::vector<std::string>{"SECRET-1", "SECRET-1", "SECRET-2", "SECRET-3"}));

    fakes.keyGrab.deliverGateKeys();
    EXPECT_EQ(cursor(), 3);
    // The last item too; the finish behaviour is still the engine's, applied when it hears.
    pasteTimes(3);
    EXPECT_EQ(writes().back(), "SECRET-5");
    EXPECT_EQ(fakes.keyGrab.undeliveredGateKeys(), 3U) << "the paste after the end passes on";
    fakes.keyGrab.deliverGateKeys();
    EXPECT_EQ(fakes.log.count("List finished — applying clearClipboard"), 1);
}

struct KeyScript {
    const char* name;
    std::vector<KeyPosition> keys;
    int deliverEvery;  // the main thread catches up after this many keys
};

// Whichever path judges each key, the clipboard sees the same writes, the keys get the same
// verdicts and the queue ends in the same place, for every finish behaviour and however late
// the engine hears of the gate's keys.
TEST_F(PasteGateTest, GateAndMainThreadJudgeAlike) {
    using K = KeyPosition;
    const std::vector<KeyScript> scripts = {
        {"pastes past the end", {K::v, K::v, K::v, K::v, K::v, K::v, K::v, K::v}, 3},
        {"steps between pastes",
         {K::v, K::v, K::rightBracket, K::v, K::leftBracket, K::leftBracket, K::leftBracket,
          K::leftBracket, K::v, K::v, K::v, K::v, K::v, K::rightBracket, K::v, K::v},
         4},
        {"steps after the end",
         {K::v, K::v, K::v, K::v, K::v, K::v, K::leftBracket, K::v, K::v},
         100},
        {"every key taken in at once", {K::v, K::rightBracket, K::v, K::v, K::v, K::v}, 1},
    };
    for (const KeyScript& script : scripts) {
        for (const ListFinishBehavior behavior : kAllListFinishBehaviors) {
            SCOPED_TRACE(std::string(script.name) + ", " + std::string(storedValue(behavior)));
            setFinishBehavior(behavior);
            std::vector<std::vector<std::string>> runs;
            std::vector<std::vector<KeyVerdict>> verdicts(2);
            std::vector<std::int64_t> cursors;
            for (const bool gate : {false, true}) {
                fakes.keyGrab.usesGate = gate;
                const std::size_t before = writeCount();
                startPublished(kList);
                for (std::size_t index = 0; index < script.keys.size(); ++index) {
                    verdicts[gate ? 1 : 0].push_back(fakes.keyGrab.pressCtrl(script.keys[index]));
                    if (!gate || (index + 1) % script.deliverEvery == 0) {
                        deliverAndPublish();
                    }
                }
                deliverAndPublish();
                cursors.push_back(cursor());
                advance(1000);
                const auto all = writes();
                runs.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
                controller->endSession(false);
            }
            EXPECT_EQ(runs[1], runs[0]);
            EXPECT_EQ(verdicts[1], verdicts[0]);
            EXPECT_EQ(cursors[1], cursors[0]);
        }
    }
}

// A key handed to the main thread may change what comes next (a step): the gate decides nothing
// until the engine has judged it and published its effect, or the key was passed on unjudged.
TEST_F(PasteGateTest, AKeyAtTheMainThreadHoldsTheGateBack) {
    startPublished(kList);
    auto& gate = *fakes.keyGrab.gate();
    gate.keyHandedToMainThread();
    EXPECT_EQ(gate.decide(kPaste), std::nullopt);
    fakes.keyGrab.deliverToMainThread(KeyEvent{KeyPosition::rightBracket, {.ctrl = true}});
    EXPECT_EQ(gate.decide(kPaste), std::nullopt) << "judged, but its effect not yet published";
    fakes.scheduler.runReady();
    const auto decided = gate.decide(kPaste);
    ASSERT_TRUE(decided && decided->item);
    EXPECT_EQ(*decided->item->text, "SECRET-2") << "the step was taken before the paste";

    gate.keyHandedToMainThread();
    gate.keyPassedOnUnjudged();
    EXPECT_TRUE(gate.decide(kPaste));
}

// A click in the overlay moves the cursor while a paste the gate decided is on its way to the
// engine: the engine will not move the new queue for it, and neither may the gate's next key.
TEST_F(PasteGateTest, APasteForAnItemNoLongerNextMovesNothing) {
    startPublished(kList);
    pressPaste();
    session().jump(3);
    fakes.scheduler.runReady();
    pressPaste();
    EXPECT_EQ(writes().back(), "SECRET-4");
    fakes.keyGrab.deliverGateKeys();
    EXPECT_EQ(cursor(), 4);
}

// Beyond the items published around the cursor the main thread decides, in order.
TEST_F(PasteGateTest, KeysBeyondThePublishedWindowGoToTheMainThread) {
    std::string list;
    for (int item = 1; item <= 40; ++item) {
        list += "SECRET-" + std::to_string(item) + "\n";
    }
    startPublished(list);
    pasteTimes(static_cast<int>(PasteGate::kWindow) + 2);
    EXPECT_EQ(fakes.keyGrab.undeliveredGateKeys(), 0U);
    EXPECT_EQ(cursor(), PasteGate::kWindow + 2);
    const auto all = writes();
    EXPECT_EQ(all.back(), "SECRET-" + std::to_string(PasteGate::kWindow + 2));
}

// The copy key's check starts from the clipboard as it was at the key, so a copy made while the
// main thread was busy still reloads the queue.
TEST_F(PasteGateTest, ACopyMadeBeforeTheEngineHearsOfTheKeyReloads) {
    startPublished(kList);
    EXPECT_EQ(fakes.keyGrab.pressCtrl(KeyPosition::c), KeyVerdict::passOn);
    fakes.clipboard.simulateCopy("SECRET-x\nSECRET-y");
    deliverAndPublish();
    advance(20);
    EXPECT_EQ(queueTexts(), (std::vector<std::string>{"SECRET-x", "SECRET-y"}));
}

// The gate's writes are Pastiq's own: ending the session takes the pasted item away.
TEST_F(PasteGateTest, EndingTheSessionClearsAnItemTheGateWrote) {
    startPublished(kList);
    pasteTimes(2);
    fakes.keyGrab.deliverGateKeys();
    controller->endSession(true);
    EXPECT_EQ(clipboard(), std::nullopt);
}

}  // namespace
}  // namespace pastiq::testing
