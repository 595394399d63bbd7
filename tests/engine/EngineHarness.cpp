#include "EngineHarness.h"

namespace pastiq::testing {

EngineHarness::EngineHarness() : controller(SessionController::create(fakes.ports(), settings)) {}

EngineHarness::~EngineHarness() {
    // Whatever a test did, no log line may ever carry what the user copied.
    EXPECT_EQ(leakedLogLines(), std::vector<std::string>{});
}

void EngineHarness::startWith(const std::optional<std::string>& text) {
    fakes.clipboard.simulateCopy(text);
    controller->startSession(false);
    fakes.scheduler.runReady();
}

void EngineHarness::setFinishBehavior(ListFinishBehavior behavior) {
    settings.setListFinishBehavior(behavior);
}

KeyVerdict EngineHarness::pressCopy() {
    const auto verdict = fakes.keyGrab.pressCtrl(KeyPosition::c);
    fakes.scheduler.runReady();
    return verdict;
}

KeyVerdict EngineHarness::pressStepBackward() {
    const auto verdict = fakes.keyGrab.pressCtrl(KeyPosition::leftBracket);
    fakes.scheduler.runReady();
    return verdict;
}

KeyVerdict EngineHarness::pressStepForward() {
    const auto verdict = fakes.keyGrab.pressCtrl(KeyPosition::rightBracket);
    fakes.scheduler.runReady();
    return verdict;
}

std::vector<std::string> EngineHarness::queueTexts() const {
    std::vector<std::string> texts;
    for (const QueueItem& item : session().items()) {
        texts.push_back(item.text());
    }
    return texts;
}

std::int64_t EngineHarness::cursor() const {
    return session().cursorIndex();
}

PasteSession& EngineHarness::session() const {
    if (!controller->session()) {
        throw std::logic_error("no session is running");
    }
    return *controller->session();
}

std::vector<std::string> EngineHarness::leakedLogLines() const {
    return fakes.log.linesContaining(kSecret);
}

}  // namespace pastiq::testing
