#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/SessionController.h"
#include "engine/Settings.h"
#include "fakes/FakeEnginePorts.h"
#include "fakes/MemoryPreferenceStore.h"

namespace pastiq::testing {

// A session controller on fakes of every port, driven through the keys the user presses.
// Item texts in tests carry the marker kSecret so that the log can be checked for leaks.
class EngineHarness : public ::testing::Test {
  public:
    ~EngineHarness() override;

  protected:
    static constexpr const char* kSecret = "SECRET";

    EngineHarness();

    // Another application copies `text`, then the user chooses Start Session.
    void startWith(const std::optional<std::string>& text);
    void setFinishBehavior(ListFinishBehavior behavior);

    KeyVerdict pressPaste() { return fakes.keyGrab.pressCtrl(KeyPosition::v); }
    void pasteTimes(int count) {
        for (int i = 0; i < count; ++i) {
            pressPaste();
        }
    }
    // Presses the key and lets the queued callback run.
    KeyVerdict pressCopy();
    KeyVerdict pressStepBackward();
    KeyVerdict pressStepForward();
    void advance(int milliseconds) { fakes.scheduler.advance(Delay{milliseconds}); }

    [[nodiscard]] const std::optional<std::string>& clipboard() const {
        return fakes.clipboard.text();
    }
    [[nodiscard]] std::size_t writeCount() const { return fakes.clipboard.writeHistory().size(); }
    [[nodiscard]] std::vector<std::string> queueTexts() const;
    [[nodiscard]] std::int64_t cursor() const;
    [[nodiscard]] PasteSession& session() const;
    // Every log line that contains item text.
    [[nodiscard]] std::vector<std::string> leakedLogLines() const;

    FakeEnginePorts fakes;
    MemoryPreferenceStore store;
    Settings settings{store};
    std::shared_ptr<SessionController> controller;
};

}  // namespace pastiq::testing
