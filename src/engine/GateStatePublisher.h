#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/PasteGate.h"
#include "engine/ports/Scheduler.h"
#include "model/PasteSession.h"
#include "model/Signal.h"

namespace pastiq {

// Keeps the paste gate's state in step with the session. A change of the session is often made
// of several stores (a jump moves the cursor, then clears the finished flag), and a key must
// never be decided on a state between them, so the state goes out on the next turn of the main
// loop after a change, once. Texts already published are shared again, so a paste in a large
// session copies a window of pointers and no text. Main thread only.
class GateStatePublisher {
  public:
    // What the state holds besides the session, read at every publish.
    struct Sources {
        std::function<std::uint64_t()> acknowledgedKeys;
        std::function<std::uint64_t()> judgedKeys;
        std::function<ListFinishBehavior()> finishBehavior;
        std::function<AfterEachPaste()> afterEachPaste;
    };

    explicit GateStatePublisher(Scheduler& scheduler) : scheduler_(scheduler) {}

    // Follows `session` (null: none) into `gate` (null: none).
    void follow(const std::shared_ptr<PasteSession>& session, std::shared_ptr<PasteGate> gate,
                Sources sources);
    // Publishes on the next turn of the main loop; requests until then make one publish.
    void publishSoon();

  private:
    void publish();
    [[nodiscard]] GateState stateOf(const PasteSession& session);
    [[nodiscard]] GateItem itemAt(const PasteSession& session, std::size_t index) const;

    Scheduler& scheduler_;
    std::weak_ptr<PasteSession> session_;
    std::shared_ptr<PasteGate> gate_;
    Sources sources_;
    Subscription subscription_;
    std::vector<GateItem> published_;
    bool isPublishPending_ = false;
    StepGuard guard_;
};

}  // namespace pastiq
