#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "EngineHarness.h"

namespace pastiq::testing {
namespace {

// Clipboard reads whose answer is still on its way while the user goes on: the fake holds them
// until the test releases them, as an owner that is slow to answer does.

const std::string kList = "SECRET-alpha\nSECRET-bravo\nSECRET-charlie";
const std::string kOther = "SECRET-p\nSECRET-q";
const std::vector<std::string> kListItems = {"SECRET-alpha", "SECRET-bravo", "SECRET-charlie"};
const std::vector<std::string> kOtherItems = {"SECRET-p", "SECRET-q"};

class ReadInFlightTest : public EngineHarness {
  protected:
    // Starts from the clipboard holding `text`, or from the selection `text` copied by the hot
    // key's Ctrl+C, with the read that finds it left unanswered.
    void startWithReadHeld(const std::string& text, bool fromSelection = false) {
        fakes.clipboard.holdReads();
        if (fromSelection) {
            fakes.eventPoster.onCopyKeystroke = [this, text] {
                fakes.clipboard.simulateCopy(text);
            };
        } else {
            fakes.clipboard.simulateCopy(text);
        }
        controller->startSession(fromSelection, [this](const std::optional<std::string>& refusal) {
            answers.push_back(refusal.value_or("started"));
        });
        advance(20);
        ASSERT_EQ(fakes.clipboard.heldReadCount(), 1U);
    }

    std::vector<std::string> answers;
};

TEST_F(ReadInFlightTest, AStartWaitsForItsReadWithoutBlocking) {
    startWithReadHeld(kList);
    EXPECT_EQ(controller->session(), nullptr);
    EXPECT_TRUE(controller->isStarting());
    EXPECT_TRUE(answers.empty()) << "the caller hears of the start once the read answered";
    fakes.clipboard.releaseReads();
    EXPECT_EQ(queueTexts(), kListItems);
    EXPECT_FALSE(controller->isStarting());
    EXPECT_EQ(answers, std::vector<std::string>{"started"});
}

// Every other start is refused while one reads; the start that reads finishes once.
TEST_F(ReadInFlightTest, StartsWhileAReadIsInFlightAreRefused) {
    const std::string refusal = "A session is already starting from the clipboard";
    startWithReadHeld(kList);
    controller->startSession(true);
    EXPECT_EQ(controller->startRefusal(), refusal);
    controller->startSessionWithText(kOther);
    EXPECT_EQ(controller->startRefusal(), refusal);
    controller->startSession(false, [this](const std::optional<std::string>& answer) {
        answers.push_back(answer.value_or("started"));
    });
    EXPECT_EQ(answers, std::vector<std::string>{refusal});
    EXPECT_EQ(fakes.eventPoster.postCount(), 0) << "no capture began";

    fakes.clipboard.releaseReads();
    EXPECT_EQ(queueTexts(), kListItems);
    EXPECT_EQ(fakes.keyGrab.installCount(), 1);
    EXPECT_EQ(answers, (std::vector<std::string>{refusal, "started"}));
}

// The user ends the session (or the start) while the clipboard is read: nothing starts when
// the answer comes, whether a session ran before or not, and later starts are not blocked.
TEST_F(ReadInFlightTest, AReadThatAnswersAfterTheEndStartsNothing) {
    for (const auto& [sessionRan, fromSelection] :
         {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}}) {
        SCOPED_TRACE(std::string(sessionRan ? "over a running session" : "without a session") +
                     (fromSelection ? ", from the selection" : ", from the clipboard"));
        if (sessionRan) {
            startWith(kOther);
        }
        startWithReadHeld(kList, fromSelection);
        controller->endSession(true);
        fakes.clipboard.releaseReads();
        advance(1000);
        EXPECT_EQ(controller->session(), nullptr);
        EXPECT_FALSE(controller->isStarting());
        EXPECT_EQ(answers.back(), "The session was ended before the start was over");
        startWith(kOther);
        EXPECT_EQ(queueTexts(), kOtherItems);
        controller->endSession(true);
    }
}

// A copy check whose read never answers ends at its deadline; the late answer changes nothing,
// and the next Ctrl+C checks again.
TEST_F(ReadInFlightTest, ACopyCheckGivesUpOnAReadThatNeverAnswers) {
    startWith(kList);
    pressPaste();
    pressCopy();
    fakes.clipboard.holdReads();
    fakes.clipboard.simulateCopy(kOther);
    advance(999);
    EXPECT_EQ(fakes.clipboard.heldReadCount(), 1U) << "one read at a time";
    advance(1);
    EXPECT_EQ(fakes.scheduler.pendingCount(), 0U) << "the wait is over";
    fakes.clipboard.releaseReads();
    EXPECT_EQ(queueTexts(), kListItems);
    EXPECT_EQ(cursor(), 1);

    pressCopy();
    fakes.clipboard.simulateCopy(kOther);
    advance(20);
    EXPECT_EQ(queueTexts(), kOtherItems);
}

// A copy check whose read answers after the session was replaced leaves the new session alone.
TEST_F(ReadInFlightTest, ACopyCheckForAReplacedSessionChangesNothing) {
    startWith(kList);
    pressCopy();
    fakes.clipboard.holdReads();
    fakes.clipboard.simulateCopy(kOther);
    advance(20);
    controller->startSessionWithText("SECRET-new");
    fakes.clipboard.releaseReads();
    advance(1000);
    EXPECT_EQ(queueTexts(), std::vector<std::string>{"SECRET-new"});
}

// Ending a session clears Pastiq's item that a clipboard manager re-announced only when the
// read confirms it and nobody copied meanwhile: an answer on its way may tell of the item
// while the user's copy has already replaced it.
TEST_F(ReadInFlightTest, TheEndsClearKeepsACopyMadeWhileItReads) {
    for (const bool userCopies : {false, true}) {
        SCOPED_TRACE(userCopies ? "user copies during the read" : "nobody copies");
        startWith(kList);
        fakes.clipboard.simulateReannounce();
        controller->endSession(true);
        if (userCopies) {
            fakes.clipboard.simulateCopy("SECRET-user");
        }
        fakes.scheduler.runReady();
        EXPECT_EQ(clipboard(),
                  userCopies ? std::optional<std::string>("SECRET-user") : std::nullopt);
    }
}

}  // namespace
}  // namespace pastiq::testing
