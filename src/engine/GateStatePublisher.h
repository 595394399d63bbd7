#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/PasteGate.h"
#include "model/PasteSession.h"
#include "model/Signal.h"

namespace pastiq {

// Keeps the paste gate's state in step with the session: publishes after every change. Texts
// already published are shared again, so a paste in a large session copies a window of pointers
// and no text. Main thread only.
class GateStatePublisher {
  public:
    // Follows `session` (null: none) into `gate`; `acknowledged` tells, at every publish, how
    // many gate pastes the engine has taken in.
    void follow(const std::shared_ptr<PasteSession>& session, std::shared_ptr<PasteGate> gate,
                std::function<std::uint64_t()> acknowledged);
    void publish();

  private:
    [[nodiscard]] GateItem itemAt(const PasteSession& session, std::size_t index) const;

    std::weak_ptr<PasteSession> session_;
    std::shared_ptr<PasteGate> gate_;
    std::function<std::uint64_t()> acknowledged_;
    Subscription subscription_;
    std::vector<GateItem> published_;
};

}  // namespace pastiq
